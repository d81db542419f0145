// The grep window: the search key, mask and directory with their histories, the options, the
// result list with its file information panel, and the commands over the grep engine.
#pragma once

#include "GrepHost.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;
class QWidget;

namespace dfm {

class FormOpener;
class UserPrompts;

class TfrmTernGrep : public QDialog, private GrepHost {
    Q_OBJECT
public:
    // Loads the stored options and histories; the window stays hidden until shown.
    TfrmTernGrep(UserPrompts& prompts, FormOpener& opener, QWidget* parent = nullptr);

    bool Busy() const { return busy_; }

    void btnSearchClick();
    void bbstopClick();
    void btnExitClick();
    void btnClearClick();
    void BitBtn1Click();
    void chkSortClick();
    void SpeedButton1Click();
    void lbxFilesClick();
    void lbxFilesDblClick();
    void sbPropClick();
    void Shellexecute1Click();
    void ShellOpen(const QString& path);

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void CreateOptionsGroup(QWidget* group);
    void CreateButtons();
    void LoadOptions();
    void SaveOptions();
    void SortList();
    // The list's current line, or an empty text when there is none.
    QString CurrentPath() const;
    void SetControlsEnabled(bool enabled);

    // GrepHost
    void ScanWarning(const std::string& text) override;
    void ScanError(const std::string& text) override;
    void InputRefused(GrepInput input, const std::string& message) override;
    void SearchStarted() override;
    void SearchEnded() override;
    void ShowStatus(const std::string& text, bool found) override;
    void LetEventsThrough() override;
    bool TakeStopRequest() override;
    void AddFile(const std::string& path) override;
    std::size_t FileCount() const override;

    UserPrompts& prompts_;
    FormOpener& opener_;
    bool busy_ = false;
    bool stopRequested_ = false;
    bool shownBefore_ = false;
    // The folder the picker returned last time; it opens with that one selected.
    QString pickedFolder_;

    QLabel* lblStatus_ = nullptr;
    QWidget* pnlInfo_ = nullptr;
    QLabel* image1_ = nullptr;
    QLabel* lblname_ = nullptr;
    QLabel* lbltype_ = nullptr;
    QLabel* lblattr_ = nullptr;
    QToolButton* sbProp_ = nullptr;
    QListWidget* lbxFiles_ = nullptr;
    QMenu* popupMenu1_ = nullptr;
    QComboBox* cbxExp_ = nullptr;
    QComboBox* cbxMask_ = nullptr;
    QComboBox* cbxDirectory_ = nullptr;
    QToolButton* speedButton1_ = nullptr;
    QCheckBox* chkRec_ = nullptr;
    QCheckBox* chkKeep_ = nullptr;
    QCheckBox* chkSort_ = nullptr;
    QCheckBox* chkCase_ = nullptr;
    QProgressBar* animate1_ = nullptr;
    QPushButton* btnSearch_ = nullptr;
    QPushButton* btnExit_ = nullptr;
    QPushButton* bbstop_ = nullptr;
    QPushButton* bitBtn1_ = nullptr;
    QPushButton* btnClear_ = nullptr;
};

}  // namespace dfm
