#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// The stereo 44.1 kHz sine WAVs the batch benchmarks convert, kept in a folder under the
// temporary directory between runs, and the small tools both benchmarks time them with.
class BenchSources {
public:
    BenchSources(QString folder, int count, int seconds);

    QString folder() const { return _folder; }
    QString sourcePath(int i) const;
    // Makes the files that are missing; false when ffmpeg failed for one.
    bool make(const QString& ffmpeg) const;
    // Reads every source once, so neither contestant pays for a cold page cache.
    void warmUp() const;

    // A tree of `folders` folders under root, each holding `perFolder` names for the same
    // source (hard links, so a big tree costs no space); false when one cannot be made.
    static bool makeLinkedTree(const QString& source, const QString& root, int folders,
                               int perFolder);

    // Runs a program to its end with no input and its output discarded.
    static bool runToEnd(const QString& program, const QStringList& arguments);
    // The same for a program and its arguments in one vector: the exit code, -1 when the
    // program did not start or did not exit. Spawned without Qt: a thread-sanitizer build
    // stops seeing the ordering of a thread that starts a process through QProcess.
    static int runQuietly(const std::vector<std::string>& args);
    static double ownCpuSeconds();

    // Runs job(i) for i in [0, count) on `width` threads.
    template <typename Job> static void onPool(int count, int width, Job job) {
        std::atomic<int> next{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < width; ++t) {
            threads.emplace_back([&] {
                for (int i = next++; i < count; i = next++)
                    job(i);
            });
        }
        for (std::thread& thread : threads)
            thread.join();
    }

private:
    QString _folder;
    int _count;
    int _seconds;
};
