#include "mailer/attach/frm_file_attach.h"

#include "mailer/attach/attachment_copy.h"
#include "mailer/attach/folder_browser.h"
#include "platform/access_keys.h"
#include "platform/operator_prompt.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace attach {
namespace {

QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

const QString kTitle = QStringLiteral("Brevix");

}  // namespace

frmFileAttach::frmFileAttach(input::modBrevix& run, platform::FileSystem& fs, settings::SettingsStore& store,
                             platform::OperatorPrompt& prompt, QWidget* parent)
    : QDialog(parent), run_(run), fs_(fs), store_(store), prompt_(prompt)
{
    buildControls();
    Form_Load();
}

void frmFileAttach::buildControls()
{
    setWindowTitle(QStringLiteral("File Attachment"));
    setModal(true);
    setFixedSize(8775 / 15, 6930 / 15);

    QFont labelFont(QStringLiteral("MS Sans Serif"));
    labelFont.setPointSizeF(9.75);
    auto label = [&](const QString& text, QRect where) {
        auto* l = new QLabel(text, this);
        l->setGeometry(where);
        l->setFont(labelFont);
        return l;
    };
    Label1 = label(QStringLiteral("Drives: "), twips(240, 240, 735, 255));
    Drive1 = new QComboBox(this);
    Drive1->setGeometry(twips(1080, 240, 3135, 315));
    Label2 = label(QStringLiteral("Folders: "), twips(120, 720, 855, 255));
    Dir1 = new QListWidget(this);
    Dir1->setGeometry(twips(1080, 720, 3135, 3915));
    Dir1->setToolTip(QStringLiteral("Double-Click to select folder"));
    Label3 = label(QStringLiteral("Files"), twips(4560, 360, 615, 255));
    File1 = new QListWidget(this);
    File1->setGeometry(twips(4560, 720, 3975, 3990));
    File1->setToolTip(QStringLiteral("Double-Click to select file"));
    Label4 = label(QStringLiteral("Attach: "), twips(120, 5040, 855, 255));
    lstAttachment = new QListWidget(this);
    lstAttachment->setGeometry(twips(1080, 5040, 7455, 1035));
    lstAttachment->setToolTip(QStringLiteral("List of statement attachments"));
    btnClear = new QPushButton(QStringLiteral("&Clear"), this);
    btnClear->setGeometry(twips(1080, 6360, 1215, 495));
    btnClear->setToolTip(QStringLiteral("Clera entire attachment list"));
    btnRemove = new QPushButton(QStringLiteral("&Remove"), this);
    btnRemove->setGeometry(twips(4080, 6360, 1215, 495));
    btnRemove->setToolTip(QStringLiteral("Remeove selected attachment"));
    btnExit = new QPushButton(QStringLiteral("&Exit"), this);
    btnExit->setGeometry(twips(7320, 6360, 1215, 495));
    for (QPushButton* b : {btnClear, btnRemove, btnExit})
        b->setAutoDefault(false);

    setTabOrder(File1, Dir1);
    setTabOrder(Dir1, Drive1);
    setTabOrder(Drive1, btnExit);
    setTabOrder(btnExit, btnClear);
    setTabOrder(btnClear, lstAttachment);
    setTabOrder(lstAttachment, btnRemove);
    platform::keepAccessKeysOutOfText(*this);

    connect(Drive1, &QComboBox::activated, this, [this] { Drive1_Change(); });
    connect(Dir1, &QListWidget::itemDoubleClicked, this, &frmFileAttach::Dir1_DblClick);
    connect(File1, &QListWidget::itemDoubleClicked, this, [this] { File1_DblClick(); });
    connect(btnRemove, &QPushButton::clicked, this, &frmFileAttach::btnRemove_Click);
    connect(btnClear, &QPushButton::clicked, this, &frmFileAttach::btnClear_Click);
    connect(btnExit, &QPushButton::clicked, this, &frmFileAttach::btnExit_Click);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmFileAttach::Form_Load()
{
    const QString drive = store_.get(settings::DrivePath, QString::fromLatin1(settings::kDefaultDrivePath));
    QString folder = store_.get(settings::DirPath, QString());
    store_.get(settings::FilePath, QString());
    const QString fileName = store_.get(settings::FileName, QString());

    const QStringList drives = availableDrives();
    Drive1->addItems(drives);
    // A stored place that is gone (or the first opening) starts at the user's home folder.
    if (!drives.contains(drive) || folder.isEmpty() || !QFileInfo(folder).isDir()
        || driveOf(drives, folder) != drive)
        folder = QDir::homePath();
    Drive1->setCurrentText(driveOf(drives, folder));
    run_.AttachList.clear();
    setDir1Path(folder);

    if (!fileName.isEmpty()) {
        const auto found = File1->findItems(fileName, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!found.isEmpty())
            File1->setCurrentItem(found.first());
    }
}

void frmFileAttach::setDir1Path(const QString& folder)
{
    dirPath_ = folder;
    Dir1->clear();
    for (const FolderEntry& entry : folderTrail(Drive1->currentText(), folder)) {
        // Open folders down to the current one, closed ones below it, as a folder list shows them.
        const bool open = entry.current || entry.path.size() < dirPath_.size();
        auto* item = new QListWidgetItem(style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon),
                                         QString(entry.depth * 2, QLatin1Char(' ')) + entry.label, Dir1);
        item->setData(Qt::UserRole, entry.path);
        if (entry.current)
            Dir1->setCurrentItem(item);
    }
    lstAttachment->clearSelection();
    lstAttachment->setCurrentRow(-1);
    File1->clear();
    File1->addItems(filesOf(folder));
    File1->setCurrentRow(-1);
}

void frmFileAttach::Drive1_Change()
{
    setDir1Path(Drive1->currentText());
}

void frmFileAttach::Dir1_DblClick(QListWidgetItem* item)
{
    if (item)
        setDir1Path(item->data(Qt::UserRole).toString());
}

void frmFileAttach::File1_DblClick()
{
    QListWidgetItem* file = File1->currentItem();
    if (!file)
        return;
    const QString entry = dirPath_ + QLatin1Char('/') + file->text();
    if (const QString why = whyNotMailable(file->text()); !why.isEmpty())
        prompt_.message(refusedAttachmentMessage(entry, why), kTitle);
    else if (NotInList(entries(), entry) != 0)
        lstAttachment->addItem(entry);
    lstAttachment->clearSelection();
    lstAttachment->setCurrentRow(-1);
}

void frmFileAttach::btnRemove_Click()
{
    const QList<QListWidgetItem*> selected = lstAttachment->selectedItems();
    if (selected.isEmpty())
        return;
    delete selected.first();
    // The list would select the next entry, and a second press would remove a file still wanted.
    lstAttachment->clearSelection();
    lstAttachment->setCurrentRow(-1);
}

void frmFileAttach::btnClear_Click()
{
    lstAttachment->clear();
}

void frmFileAttach::btnExit_Click()
{
    const std::vector<FailedCopy> failed = CopyAttachment(fs_, run_, entries());
    if (!failed.empty())
        prompt_.message(failedCopiesMessage(failed, fs_.withHostPath(attachmentFolder(run_))), kTitle);
    hide();
    accept();
}

void frmFileAttach::keyPressEvent(QKeyEvent* event)
{
    // Escape would close the picker like the close box and drop the chosen files unseen.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmFileAttach::closeEvent(QCloseEvent* event)
{
    saveSettings();
    QDialog::closeEvent(event);
}

void frmFileAttach::done(int result)
{
    saveSettings();
    QDialog::done(result);
}

void frmFileAttach::saveSettings()
{
    if (saved_)
        return;
    saved_ = true;
    QListWidgetItem* file = File1->currentItem();
    try {
        store_.save(settings::DrivePath, Drive1->currentText());
        store_.save(settings::DirPath, dirPath_);
        store_.save(settings::FileName, file && file->isSelected() ? file->text() : QString());
    } catch (const std::exception&) {
        // The picker works without remembering its place; nothing else depends on these keys.
    }
}

QStringList frmFileAttach::entries() const
{
    QStringList out;
    for (int i = 0; i < lstAttachment->count(); ++i)
        out << lstAttachment->item(i)->text();
    return out;
}

}  // namespace attach
