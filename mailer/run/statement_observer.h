#pragma once
#include "mailer/run/run_failure.h"

#include <QString>
#include <exception>
#include <initializer_list>
#include <vector>

namespace run {

/// What happened to one statement file.
struct MailedStatement {
    QString file;         ///< bare name in the temp folder
    QString account;      ///< the account read from it
    QString pdfPath;      ///< the PDF in the out folder
    bool mailed = false;  ///< a request went to the in folder
    bool archived = false;
    QString archiveCopy;     ///< the archive copy, when there is one
    QString mailTo;          ///< the recipient the statement names
    QString request;         ///< its request in the in folder, once handed off
    QString sha256;          ///< of the PDF as filed, in hex, when the run had its bytes in hand
    QString archiveProblem;  ///< why there is no archive copy, when the copy failed
    /// It changed while it was taken: nothing was handed off, it waits to settle again.
    bool changed = false;
    /// A run that ended before it was done had claimed it; this run finished it.
    bool recovered = false;
    /// Another run took it over while this run looked dead; that run finishes it.
    bool lost = false;
    /// Recovered, its request already handed off by the run that claimed it: nothing was sent
    /// now, and that run may have told it before it stopped.
    bool handedOffBefore = false;
    /// Why it was set aside (a StatementRefused); null when it was not.
    std::exception_ptr refused;
};

/// Hears each statement's outcome the moment the mailer decides it, and the error that ends a
/// run. Standard output, the service manager and the window each implement it: a new reader of
/// the outcomes (a metrics file, say) is one more implementation, not an edit of every caller.
class StatementObserver {
public:
    virtual ~StatementObserver() = default;
    /// Its PDF is filed and, unless it asked for no mail, its request handed off.
    virtual void filed(const MailedStatement&) {}
    /// A run that ended before it was done had claimed it; this run finished it.
    virtual void recovered(const MailedStatement&) {}
    /// Left in the temp folder for a person to look at; the run goes on.
    virtual void setAside(const MailedStatement&) {}
    /// Taken over by another run while this one looked dead: that run finishes it.
    virtual void lost(const MailedStatement&) {}
    /// The error that ends the run, as the operator reads it.
    virtual void failed(const RunFailure&) {}
};

/// Tells several observers, in the order given.
class Observers : public StatementObserver {
public:
    Observers(std::initializer_list<StatementObserver*> all) : all_(all) {}
    void filed(const MailedStatement& s) override { for (StatementObserver* o : all_) o->filed(s); }
    void recovered(const MailedStatement& s) override { for (StatementObserver* o : all_) o->recovered(s); }
    void setAside(const MailedStatement& s) override { for (StatementObserver* o : all_) o->setAside(s); }
    void lost(const MailedStatement& s) override { for (StatementObserver* o : all_) o->lost(s); }
    void failed(const RunFailure& f) override { for (StatementObserver* o : all_) o->failed(f); }

private:
    std::vector<StatementObserver*> all_;
};

}  // namespace run
