#include "mailer/run/frm_email_statements.h"

#include "mailer/run/run_failure.h"
#include "mailer/run/mail_sender_watch.h"
#include "mailer/run/startup_settings.h"
#include "mailer/run/statement_paths.h"
#include "platform/access_keys.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/operator_prompt.h"
#include "platform/version.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QTimer>

namespace run {
namespace {

/// Twips to pixels at 96 dots per inch.
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

}  // namespace

frmEmailStatements::frmEmailStatements(input::modBrevix& run, platform::FileSystem& fs,
                                       settings::SettingsStore& store, platform::OperatorPrompt& prompt,
                                       std::function<void()> openAttachPicker, QWidget* parent)
    : QWidget(parent),
      run_(run),
      fs_(fs),
      store_(store),
      prompt_(prompt),
      openAttachPicker_(std::move(openAttachPicker))
{
    buildControls();
}

void frmEmailStatements::buildControls()
{
    setWindowTitle(QStringLiteral("Statement Email"));
    // Taller than designed by the status line under the list.
    setFixedSize(4155 / 15, 6570 / 15);

    Frame1 = new QGroupBox(QStringLiteral("Connection"), this);
    Frame1->setGeometry(twips(240, 120, 3615, 1335));
    Label2 = new QLabel(QStringLiteral("Server: "), Frame1);
    Label2->setGeometry(twips(480, 360, 1095, 255));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtServer = new QLineEdit(Frame1);
    txtServer->setGeometry(twips(1680, 360, 1215, 300));
    Label3 = new QLabel(QStringLiteral("Store Number:"), Frame1);
    Label3->setGeometry(twips(480, 840, 1095, 255));
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtDir = new QLineEdit(Frame1);
    txtDir->setGeometry(twips(1680, 840, 375, 300));

    btnAttach = new QPushButton(QStringLiteral("&Attach: "), this);
    btnAttach->setGeometry(twips(240, 1800, 735, 375));
    lstAttach = new QListWidget(this);
    lstAttach->setGeometry(twips(1200, 1800, 2655, 645));

    Label1 = new QLabel(QStringLiteral("Processing File:"), this);
    Label1->setGeometry(twips(120, 2640, 1815, 375));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1->setFont(QFont(QStringLiteral("MS Sans Serif"), 12));
    Label1->hide();
    txtAccount = new QLineEdit(this);
    txtAccount->setGeometry(twips(2040, 2640, 1695, 375));
    txtAccount->setReadOnly(true);
    txtAccount->setFocusPolicy(Qt::NoFocus);
    File1 = new QListWidget(this);
    File1->setGeometry(twips(2040, 3120, 1695, 2430));

    lblStatus = new QLabel(this);
    lblStatus->setGeometry(twips(240, 5640, 3615, 810));
    lblStatus->setWordWrap(true);
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    btnProcess = new QPushButton(QStringLiteral("&Process"), this);
    btnProcess->setGeometry(twips(240, 3840, 1455, 735));
    btnExit = new QPushButton(QStringLiteral("&Exit"), this);
    btnExit->setGeometry(twips(240, 4800, 1455, 735));

    Timer1 = new QTimer(this);
    Timer1->setInterval(0);
    wireControls();

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmEmailStatements::wireControls()
{
    connect(btnProcess, &QPushButton::clicked, this, &frmEmailStatements::btnProcess_Click);
    connect(btnExit, &QPushButton::clicked, this, &frmEmailStatements::btnExit_Click);
    connect(btnAttach, &QPushButton::clicked, this, &frmEmailStatements::btnAttach_Click);
    connect(Timer1, &QTimer::timeout, this, &frmEmailStatements::Timer1_Timer);

    setTabOrder(txtServer, txtDir);
    setTabOrder(txtDir, btnAttach);
    setTabOrder(btnAttach, lstAttach);
    setTabOrder(lstAttach, File1);
    setTabOrder(File1, btnProcess);
    setTabOrder(btnProcess, btnExit);
    platform::keepAccessKeysOutOfText(*this);
}

void frmEmailStatements::Form_Load()
{
    int step = 0;
    try {
        step = 1;
        readStatementColours(store_, run_);
        step = 2;
        setWindowTitle(windowTitle() + QStringLiteral("   ") + platform::versionText());
        step = 3;
        readConnection(store_, run_);
        step = 4;
        txtServer->setText(run_.ServerName);
        txtDir->setText(run_.StoreNumber);
        step = 5;
        if (!run_.StoreNumber.isEmpty() && !run_.ServerName.isEmpty()) {
            const QString temp = tempFolder(run_.ServerName, run_.StoreNumber);
            if (fs_.isFolder(temp)) {
                file1Folder_ = temp;
                refreshFile1();
            } else {
                prompt_.message(QStringLiteral("Cannot connect to ") + fs_.withHostPath(temp), kProgramTitle);
            }
            return;
        }
        step = 6;
        prompt_.message(QStringLiteral("Set Server Name and Store Number"), kProgramTitle);
    } catch (const platform::Error& e) {
        prompt_.message(QStringLiteral("Error: ") + e.description() + QStringLiteral(" at Line: ")
                            + QString::number(step) + QStringLiteral(" in Brevix."),
                        kProgramTitle);
    }
}

void frmEmailStatements::btnProcess_Click()
{
    run_.ServerName = txtServer->text();
    run_.StoreNumber = txtDir->text();
    if (const QString problem = connectionProblem(run_); !problem.isEmpty()) {
        prompt_.message(problem, kProgramTitle);
        txtServer->setFocus();
        return;
    }
    const QString temp = tempFolder(run_.ServerName, run_.StoreNumber);
    if (!fs_.isFolder(temp)) {
        prompt_.message(QStringLiteral("Cannot Connect to: ") + fs_.withHostPath(temp), kProgramTitle);
        txtServer->setFocus();
        return;
    }
    try {
        saveConnection(store_, run_);
    } catch (const platform::Error& e) {
        // Polling works without the saved values; the operator only has to type them again.
        prompt_.message(QStringLiteral("Error %1: %2 on %3\nThe server name and store number were not saved.")
                            .arg(e.number())
                            .arg(e.description(), e.file()),
                        kProgramTitle);
    }
    openStore(readSettleMs(store_));
    Label1->setVisible(true);
    Timer1->setInterval(1000);
    Timer1->start();
    btnProcess->setEnabled(false);
}

void frmEmailStatements::btnExit_Click()
{
    const bool wasPolling = Timer1->isActive();
    Timer1->stop();
    run_.ServerName = txtServer->text();
    run_.StoreNumber = txtDir->text();
    const bool waiting = !fs_.firstMatch(tempFolder(run_.ServerName, run_.StoreNumber), QStringLiteral("*.txt")).isEmpty();
    if (waiting
        && !prompt_.askYesNo(QStringLiteral("There are Files to Process.  Are you Sure you want to Exit?"),
                             kProgramTitle)) {
        if (wasPolling)
            Timer1->start();
        return;
    }
    try {
        saveConnection(store_, run_);
    } catch (const platform::Error&) {
        // Leaving must not be stopped by a settings file that cannot be written.
    }
    endProgram(0);
}

void frmEmailStatements::btnAttach_Click()
{
    if (openAttachPicker_)
        openAttachPicker_();
    lstAttach->clear();
    if (run_.AttachList.isEmpty())
        return;
    QStringList names = run_.AttachList.split(QLatin1Char('\t'));
    names.removeLast();
    lstAttach->addItems(names);
}

void frmEmailStatements::Timer1_Timer()
{
    if (ticking_ || ended_)
        return;
    ticking_ = true;
    if (takeStore()) {
        record_->prune(historyDays_);
        for (std::vector<platform::FolderEntry> ready = mailer_->look(); !ready.empty() && !ended_;
             ready = mailer_->look()) {
            for (const platform::FolderEntry& entry : ready) {
                if (ended_)
                    break;
                txtAccount->setText(entry.name);
                txtAccount->repaint();
                try {
                    mailer_->mail(entry, attachments());
                } catch (...) {
                    break;  // told in failed(), which ended the program
                }
                QCoreApplication::processEvents();
            }
        }
    }
    if (!ended_) {
        txtAccount->clear();
        watchMailSender();
    }
    ticking_ = false;
}

void frmEmailStatements::openStore(qint64 settleMs)
{
    mailer_.reset();
    session_ = std::make_unique<handoff::StoreSession>(fs_, storeLockPath(run_.ServerName, run_.StoreNumber),
                                                       QStringLiteral("the Brevix window"));
    record_ = std::make_unique<DeliveryRecord>(fs_, historyFolder(run_.ServerName, run_.StoreNumber),
                                               QSysInfo::machineHostName(), session_->runId(),
                                               [this](const QString& warning) { showStatus(warning); });
    observers_ = std::make_unique<Observers>(
        std::initializer_list<StatementObserver*>{record_.get(), static_cast<StatementObserver*>(this)});
    mailer_ = std::make_unique<StatementMailer>(run_, fs_, *session_, *observers_, settleMs);
    historyDays_ = readHistoryDays(store_);
    mailWatch_ = std::make_unique<MailSenderWatch>(fs_, inFolder(run_.ServerName, run_.StoreNumber),
                                                   readMailWaitMinutes(store_.get(settings::MailWaitMinutes, QString())));
}

bool frmEmailStatements::takeStore()
{
    if (!session_)
        openStore(0);
    if (session_->held() && session_->stillHeld())
        return true;
    handoff::StoreSession::Take take;
    try {
        take = session_->take();
    } catch (...) {
        failed(describeFailure(std::current_exception(), fs_, mailer_->failedStatement(), mailer_->statementPlace()));
        return false;
    }
    if (take != handoff::StoreSession::Take::Taken) {
        if (!toldBusy_) {
            toldBusy_ = true;
            const QString who =
                take == handoff::StoreSession::Take::Busy
                    ? QStringLiteral("Store %1 of %2 is being processed by %3.")
                          .arg(run_.StoreNumber, run_.ServerName, session_->busyHolder())
                    : QStringLiteral("The lock on %1 is not carried to the file server by this mount (mounted "
                                     "with nobrl, or through FUSE?), and %2 works on the store.")
                          .arg(session_->lockPath(), session_->busyHolder());
            prompt_.message(who + QStringLiteral("\nThis window waits and takes the store's statements once "
                                                 "that run ends."),
                            kProgramTitle);
        }
        return false;
    }
    try {
        mailer_->recover();
    } catch (...) {
        return false;  // told in failed(), which ended the program
    }
    return true;
}

void frmEmailStatements::failed(const RunFailure& failure)
{
    prompt_.message(failure.text, failure.title);
    endProgram(1);
}

void frmEmailStatements::closeEvent(QCloseEvent* event)
{
    // The close box leaves at once, without the question and without saving.
    event->accept();
    endProgram(0);
}

void frmEmailStatements::refreshFile1()
{
    File1->clear();
    if (!file1Folder_.isEmpty())
        File1->addItems(fs_.list(file1Folder_, QStringLiteral("*.txt")));
}

void frmEmailStatements::endProgram(int code)
{
    if (ended_)
        return;
    ended_ = true;
    exitCode_ = code;
    Timer1->stop();
    hide();
    QCoreApplication::exit(code);
}

QStringList frmEmailStatements::attachments() const
{
    QStringList names;
    for (int i = 0; i < lstAttach->count(); ++i)
        names << lstAttach->item(i)->text();
    return names;
}

void frmEmailStatements::watchMailSender()
{
    if (!mailWatch_)
        return;
    const MailSenderWatch::News news = mailWatch_->poll();
    if (news.kind != MailSenderWatch::News::Nothing)
        showStatus(news.text);
}

void frmEmailStatements::showStatus(const QString& text)
{
    lblStatus->setText(text);
    lblStatus->setToolTip(text);
}

}  // namespace run
