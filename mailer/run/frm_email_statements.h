#pragma once
#include "mailer/handoff/store_session.h"
#include "mailer/input/mod_brevix.h"
#include "mailer/run/delivery_record.h"
#include "mailer/run/mail_sender_watch.h"
#include "mailer/run/statement_mailer.h"

#include <QWidget>
#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace platform {
class FileSystem;
class OperatorPrompt;
}  // namespace platform
namespace settings {
class SettingsStore;
}

namespace run {

/// The main window of Brevix: connection settings, the extra attachments, and the polling of
/// the store's temp folder once a second after Process. It observes its own statements: the list
/// follows each one filed, and an error that ends the run is shown before the program ends.
class frmEmailStatements : public QWidget, private StatementObserver {
    Q_OBJECT
public:
    /// `openAttachPicker` shows the attachment picker modally; it leaves its choice in AttachList.
    frmEmailStatements(input::modBrevix& run, platform::FileSystem& fs, settings::SettingsStore& store,
                       platform::OperatorPrompt& prompt, std::function<void()> openAttachPicker,
                       QWidget* parent = nullptr);

    /// Reads the settings, sets the caption and checks the temp folder; reports its own errors.
    void Form_Load();
    void btnProcess_Click();
    void btnExit_Click();
    void btnAttach_Click();
    /// One polling tick: every waiting statement, one at a time, until the folder is empty.
    void Timer1_Timer();

    /// Whether the program has been told to end, and with which status.
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }

    QGroupBox* Frame1;
    QLabel* Label2;
    QLineEdit* txtServer;
    QLabel* Label3;
    QLineEdit* txtDir;
    QPushButton* btnAttach;
    QListWidget* lstAttach;
    QLabel* Label1;
    QLineEdit* txtAccount;
    QListWidget* File1;
    /// What the run warns of (a stopped mail sender, a record that cannot be written).
    QLabel* lblStatus;
    QPushButton* btnProcess;
    QPushButton* btnExit;
    QTimer* Timer1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void filed(const MailedStatement&) override { refreshFile1(); }
    /// Shown under the list: what the operator should know but need not answer.
    void showStatus(const QString& text);
    /// Looks at the mail sender (once a minute at most) and says what changed under the list.
    void watchMailSender();
    void recovered(const MailedStatement&) override { refreshFile1(); }
    void failed(const RunFailure& failure) override;
    void buildControls();
    /// The buttons and the timer to their handlers, the tab order, the access keys.
    void wireControls();
    void refreshFile1();
    /// Holds the store's lock, taking it (and finishing what an ended run left) when free. Says
    /// once that another run holds it.
    bool takeStore();
    /// The session and mailer of the store the run names.
    void openStore(qint64 settleMs);
    void endProgram(int code);
    QStringList attachments() const;

    input::modBrevix& run_;
    platform::FileSystem& fs_;
    settings::SettingsStore& store_;
    platform::OperatorPrompt& prompt_;
    std::function<void()> openAttachPicker_;
    /// The store being processed, from Process on.
    std::unique_ptr<handoff::StoreSession> session_;
    std::unique_ptr<DeliveryRecord> record_;
    std::unique_ptr<MailSenderWatch> mailWatch_;
    int historyDays_ = 0;
    std::unique_ptr<Observers> observers_;
    std::unique_ptr<StatementMailer> mailer_;
    bool toldBusy_ = false;
    QString file1Folder_;
    bool ticking_ = false;
    bool ended_ = false;
    int exitCode_ = 0;
};

}  // namespace run
