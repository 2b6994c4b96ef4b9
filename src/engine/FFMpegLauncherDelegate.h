#pragma once

// What an FFMpegLauncher reports when its child has ended.
class FFMpegLauncherDelegate {
public:
    virtual ~FFMpegLauncherDelegate() = default;
    // The exit status, or TaskWrapper::kFailedToStartStatus / kCrashedStatus.
    virtual void launcherDidTerminatedWithCode(int status) { (void)status; }
};
