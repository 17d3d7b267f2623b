#pragma once
#include "mailer/input/mod_brevix.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace platform {
class FileSystem;
class OperatorPrompt;
}  // namespace platform
namespace settings {
class SettingsStore;
}

namespace attach {

/// The attachment picker: the operator browses the workstation's folders and chooses files
/// that go with every statement mail of the run. "&Exit" copies them into the out folder and
/// leaves their names in AttachList; closing saves the drive, folder and selected file. Escape
/// does not close it, and a file whose name cannot travel in a mail request is refused.
class frmFileAttach : public QDialog {
    Q_OBJECT
public:
    frmFileAttach(input::modBrevix& run, platform::FileSystem& fs, settings::SettingsStore& store,
                  platform::OperatorPrompt& prompt, QWidget* parent = nullptr);

    void Drive1_Change();
    void Dir1_DblClick(QListWidgetItem* item);
    void File1_DblClick();
    void btnRemove_Click();
    void btnClear_Click();
    void btnExit_Click();

    /// The folder the folder list shows.
    const QString& Dir1Path() const { return dirPath_; }
    /// Moves the folder list to `folder` and re-reads the file list.
    void setDir1Path(const QString& folder);

    QLabel* Label1;
    QComboBox* Drive1;
    QLabel* Label2;
    QListWidget* Dir1;
    QLabel* Label3;
    QListWidget* File1;
    QLabel* Label4;
    QListWidget* lstAttachment;
    QPushButton* btnClear;
    QPushButton* btnRemove;
    QPushButton* btnExit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void buildControls();
    void Form_Load();
    void saveSettings();
    QStringList entries() const;

    input::modBrevix& run_;
    platform::FileSystem& fs_;
    settings::SettingsStore& store_;
    platform::OperatorPrompt& prompt_;
    QString dirPath_;
    bool saved_ = false;
};

}  // namespace attach
