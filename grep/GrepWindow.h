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

class GrepWindow : public QDialog, private GrepHost {
    Q_OBJECT
public:
    // Loads the stored options and histories; the window stays hidden until shown.
    GrepWindow(UserPrompts& prompts, FormOpener& opener, QWidget* parent = nullptr);

    bool busy() const { return busy_; }

    void startSearch();
    void requestStop();
    void exitWindow();
    void clearList();
    void deleteOptions();
    void sortOptionClicked();
    void pickFolder();
    void showFileInfo();
    void openResult();
    void showProperties();
    void openWithProgram();
    void launchFile(const QString& path);

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void createOptionsGroup(QWidget* group);
    void createButtons();
    void loadOptions();
    void saveOptions();
    void sortList();
    // The list's current line, or an empty text when there is none.
    QString currentPath() const;
    void setControlsEnabled(bool enabled);

    // GrepHost
    void scanWarning(const std::string& text) override;
    void scanError(const std::string& text) override;
    void inputRefused(GrepInput input, const std::string& message) override;
    void searchStarted() override;
    void searchEnded() override;
    void showStatus(const std::string& text, bool found) override;
    void letEventsThrough() override;
    bool takeStopRequest() override;
    void addFile(const std::string& path) override;
    std::size_t fileCount() const override;

    UserPrompts& prompts_;
    FormOpener& opener_;
    bool busy_ = false;
    bool stopRequested_ = false;
    bool shownBefore_ = false;
    // The folder the picker returned last time; it opens with that one selected.
    QString pickedFolder_;

    QLabel* statusLabel_ = nullptr;
    QWidget* infoPanel_ = nullptr;
    QLabel* fileIcon_ = nullptr;
    QLabel* fileNameLabel_ = nullptr;
    QLabel* fileTypeLabel_ = nullptr;
    QLabel* fileAttributesLabel_ = nullptr;
    QToolButton* propertiesButton_ = nullptr;
    QListWidget* resultList_ = nullptr;
    QMenu* resultMenu_ = nullptr;
    QComboBox* expressionBox_ = nullptr;
    QComboBox* maskBox_ = nullptr;
    QComboBox* directoryBox_ = nullptr;
    QToolButton* folderButton_ = nullptr;
    QCheckBox* subfoldersCheck_ = nullptr;
    QCheckBox* keepListCheck_ = nullptr;
    QCheckBox* sortListCheck_ = nullptr;
    QCheckBox* caseSensitiveCheck_ = nullptr;
    QCheckBox* anyEncodingCheck_ = nullptr;
    QCheckBox* formStringsCheck_ = nullptr;
    QProgressBar* busyIndicator_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* deleteOptionsButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
};

}  // namespace dfm
