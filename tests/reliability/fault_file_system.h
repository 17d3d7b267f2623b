#pragma once
#include "platform/error.h"
#include "platform/file_system.h"

#include <QFile>
#include <atomic>
#include <functional>
#include <mutex>

namespace reliability {

/// A file system that forwards every call to another one and lets a test act before each
/// call, addressed by its kind and the file it concerns: fail it with a platform::Error, pause
/// it, or change the share under it. It reaches every call the runs make: the streamed PDF
/// writes and reads, the store lock, and, with `parallel`, the render workers' calls.
class FaultFileSystem : public platform::FileSystem {
public:
    /// Query is exists, isFile, isFolder, stamps and listings; Sync is a batch's flush;
    /// Write and later change the disk (a streamed write: Write at its start and at each part,
    /// Move when it appears whole).
    enum class Op { Query, Read, HostPath, Sync, Write, Remove, Copy, Move };
    static bool changesDisk(Op op) { return op >= Op::Write; }

    explicit FaultFileSystem(platform::FileSystem& inner) : inner_(inner) {}

    /// Runs before each call with its kind and the path it reads or writes (the target of a
    /// copy or move); throwing from it fails the call. Calls of several threads run it one at a
    /// time.
    std::function<void(Op, const QString&)> before;
    /// Calls seen so far, counting failed ones.
    std::atomic<int> calls{0};
    /// Whether render workers may call it at once, as the inner file system allows.
    bool parallel = false;
    /// False: the store lock is granted whoever holds it, as through a mount that does not carry
    /// locks to the file server (FUSE clients, cifs with nobrl).
    bool locksCarried = true;
    /// False: a rename that must not replace looks first, as where the file system has neither
    /// rename-without-replace nor hard links (smbnetfs).
    bool renamesWithoutReplace = true;

    bool exists(const QString& p) override { watch(Op::Query, p); return inner_.exists(p); }
    bool isFile(const QString& p) override { watch(Op::Query, p); return inner_.isFile(p); }
    bool isFolder(const QString& p) override { watch(Op::Query, p); return inner_.isFolder(p); }
    QStringList list(const QString& p, const QString& m) override { watch(Op::Query, p); return inner_.list(p, m); }
    // As on a real share, a failed look answers "nothing there" here and raises only in the
    // OrFail forms: the hand-off must never take one for the other.
    std::vector<platform::FolderEntry> entries(const QString& p, const QString& m, bool h) override
    {
        return quietly(p) ? inner_.entries(p, m, h) : std::vector<platform::FolderEntry>();
    }
    std::optional<platform::FileStamp> stamp(const QString& p) override
    {
        return quietly(p) ? inner_.stamp(p) : std::nullopt;
    }
    std::vector<platform::FolderEntry> entriesOrFail(const QString& p, const QString& m, bool h) override
    {
        watch(Op::Query, p);
        return inner_.entriesOrFail(p, m, h);
    }
    std::optional<platform::FileStamp> stampOrFail(const QString& p) override
    {
        watch(Op::Query, p);
        return inner_.stampOrFail(p);
    }
    QByteArray nameOnDisk(const QString& p) override { watch(Op::Query, p); return inner_.nameOnDisk(p); }
    bool openForWriting(const QString& p) override { watch(Op::Query, p); return inner_.openForWriting(p); }
    std::string readFile(const QString& p) override { watch(Op::Read, p); return inner_.readFile(p); }
    std::unique_ptr<platform::FileReader> openFile(const QString& p) override
    {
        watch(Op::Read, p);
        return inner_.openFile(p);
    }
    QString hostPath(const QString& p) override { watch(Op::HostPath, p); return inner_.hostPath(p); }
    void writeFile(const QString& p, const std::string& b) override { watch(Op::Write, p); inner_.writeFile(p, b); }
    void writeNewOrReplace(const QString& p, const std::string& b) override
    {
        watch(Op::Write, p);
        inner_.writeNewOrReplace(p, b);
    }
    std::unique_ptr<platform::FileWriter> startFile(const QString& p) override
    {
        watch(Op::Write, p);
        return std::make_unique<Writer>(*this, p, inner_.startFile(p));
    }
    void remove(const QString& p) override { watch(Op::Remove, p); inner_.remove(p); }
    void copyReplacing(const QString& f, const QString& t) override { watch(Op::Copy, t); inner_.copyReplacing(f, t); }
    void moveReplacing(const QString& f, const QString& t) override { watch(Op::Move, t); inner_.moveReplacing(f, t); }
    void rename(const QString& f, const QString& t) override
    {
        watch(Op::Move, t);
        if (renamesWithoutReplace)
            return inner_.rename(f, t);
        if (inner_.stamp(t))
            throw platform::Error(platform::Error::FileAlreadyExists, t);
        inner_.moveReplacing(f, t);
    }
    std::unique_ptr<platform::HeldFile> holdFile(const QString& p, QString& heldBy) override
    {
        watch(Op::Write, p);
        if (locksCarried)
            return inner_.holdFile(p, heldBy);
        return std::make_unique<Unlocked>(inner_.hostPath(p));
    }
    std::unique_ptr<platform::LineFile> openToAppend(const QString& p) override
    {
        watch(Op::Write, p);
        return inner_.openToAppend(p);
    }
    void makeFolder(const QString& p) override { watch(Op::Write, p); inner_.makeFolder(p); }
    void beginBatch() override { inner_.beginBatch(); }
    void flush() override { watch(Op::Sync, {}); inner_.flush(); }
    void endBatch() override { inner_.endBatch(); }
    bool concurrent() const override { return parallel && inner_.concurrent(); }

private:
    class Writer : public platform::FileWriter {
    public:
        Writer(FaultFileSystem& fs, QString path, std::unique_ptr<platform::FileWriter> inner)
            : fs_(fs), path_(std::move(path)), inner_(std::move(inner)) {}
        void write(const char* data, size_t size) override { fs_.watch(Op::Write, path_); inner_->write(data, size); }
        void commit() override { fs_.watch(Op::Move, path_); inner_->commit(); }

    private:
        FaultFileSystem& fs_;
        QString path_;
        std::unique_ptr<platform::FileWriter> inner_;
    };
    /// A lock file that every run is granted: its text only.
    class Unlocked : public platform::HeldFile {
    public:
        explicit Unlocked(QString host) : file_(host) { file_.open(QIODevice::ReadWrite); }
        QString text() override { file_.seek(0); return QString::fromUtf8(file_.readAll()); }
        bool write(const QByteArray& t) override { file_.seek(0); return file_.write(t) == t.size() && file_.resize(t.size()); }
        bool lost() override { return !QFile::exists(file_.fileName()); }

    private:
        QFile file_;
    };

    /// Whether a query may go on: false when the test failed it.
    bool quietly(const QString& path)
    {
        try {
            watch(Op::Query, path);
            return true;
        } catch (const platform::Error&) {
            return false;
        }
    }
    void watch(Op op, const QString& path)
    {
        ++calls;
        std::lock_guard<std::mutex> one(mutex_);
        if (before)
            before(op, path);
    }

    platform::FileSystem& inner_;
    std::mutex mutex_;
};

}  // namespace reliability
