#pragma once
#include "platform/file_system.h"

#include <functional>

namespace reliability {

/// A file system that forwards every call to another one and lets a test act before each
/// call: fail it with a platform::Error, or change the share under it.
class FaultFileSystem : public platform::FileSystem {
public:
    /// Query is exists, isFile, isFolder and list (firstMatch lists); Sync is a batch's flush;
    /// Write and later change the disk.
    enum class Op { Query, Read, HostPath, Sync, Write, Remove, Copy, Move };
    static bool changesDisk(Op op) { return op >= Op::Write; }

    explicit FaultFileSystem(platform::FileSystem& inner) : inner_(inner) {}

    /// Runs before each call with its kind and the path it reads or writes (the target of a
    /// copy or move); throwing from it fails the call.
    std::function<void(Op, const QString&)> before;
    /// Calls seen so far, counting failed ones.
    int calls = 0;

    bool exists(const QString& p) override { watch(Op::Query, p); return inner_.exists(p); }
    bool isFile(const QString& p) override { watch(Op::Query, p); return inner_.isFile(p); }
    bool isFolder(const QString& p) override { watch(Op::Query, p); return inner_.isFolder(p); }
    QStringList list(const QString& p, const QString& m) override { watch(Op::Query, p); return inner_.list(p, m); }
    std::vector<platform::FolderEntry> entries(const QString& p, const QString& m, bool h) override
    {
        watch(Op::Query, p);
        return inner_.entries(p, m, h);
    }
    std::optional<platform::FileStamp> stamp(const QString& p) override { watch(Op::Query, p); return inner_.stamp(p); }
    QByteArray nameOnDisk(const QString& p) override { watch(Op::Query, p); return inner_.nameOnDisk(p); }
    bool openForWriting(const QString& p) override { watch(Op::Query, p); return inner_.openForWriting(p); }
    std::string readFile(const QString& p) override { watch(Op::Read, p); return inner_.readFile(p); }
    QString hostPath(const QString& p) override { watch(Op::HostPath, p); return inner_.hostPath(p); }
    void writeFile(const QString& p, const std::string& b) override { watch(Op::Write, p); inner_.writeFile(p, b); }
    void remove(const QString& p) override { watch(Op::Remove, p); inner_.remove(p); }
    void copyReplacing(const QString& f, const QString& t) override { watch(Op::Copy, t); inner_.copyReplacing(f, t); }
    void moveReplacing(const QString& f, const QString& t) override { watch(Op::Move, t); inner_.moveReplacing(f, t); }
    void rename(const QString& f, const QString& t) override { watch(Op::Move, t); inner_.rename(f, t); }
    std::unique_ptr<platform::LineFile> openToAppend(const QString& p) override
    {
        watch(Op::Write, p);
        return inner_.openToAppend(p);
    }
    void makeFolder(const QString& p) override { watch(Op::Write, p); inner_.makeFolder(p); }
    void beginBatch() override { inner_.beginBatch(); }
    void flush() override { watch(Op::Sync, {}); inner_.flush(); }
    void endBatch() override { inner_.endBatch(); }

private:
    void watch(Op op, const QString& path)
    {
        ++calls;
        if (before)
            before(op, path);
    }

    platform::FileSystem& inner_;
};

}  // namespace reliability
