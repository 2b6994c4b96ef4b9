#pragma once

#include "shell/MASPreferencesViewController.h"

#include <QObject>

#include <memory>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The Advanced pane: the default output folder and the delete-output-files switch.
class AdvancedPreferencesViewController : public QObject, public MASPreferencesViewController {
    Q_OBJECT
public:
    AdvancedPreferencesViewController();
    ~AdvancedPreferencesViewController() override;

    QString identifier() const override;
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override;
    QWidget* view() override;

    // <real home>/Music/ Quaverly
    static QString getOutputPath();

    QLineEdit* _tfOutputFolder = nullptr;
    QCheckBox* _chkDeleteOutputFiles = nullptr;
    QPushButton* _btnShowOutputFolder = nullptr;

public Q_SLOTS:
    void clickDeleteOutputFiles(bool on);
    void clickShowOutputFolder();

private:
    void buildView();
    void awakeFromNib();

    std::unique_ptr<QWidget> _view;
};
