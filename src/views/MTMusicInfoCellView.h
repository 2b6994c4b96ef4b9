#pragma once

#include <QWidget>

class QLabel;

// A plain table cell view showing a track's artist in a label it does not own; it draws
// nothing itself.
class MTMusicInfoCellView : public QWidget {
    Q_OBJECT
public:
    explicit MTMusicInfoCellView(QWidget* parent = nullptr);

    QLabel* tfMusicArtist() const { return _tfMusicArtist; }
    void setTfMusicArtist(QLabel* label) { _tfMusicArtist = label; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* _tfMusicArtist = nullptr;
};
