#pragma once
#include "platform/file_system.h"

#include <functional>

namespace reliability {

/// A file system that forwards every call to another one and lets a test act around each
/// call: fail it with a platform::Error, or change the share under it (take it away, fill it).
class FaultFileSystem : public platform::FileSystem {
public:
    enum class Op { Exists, IsFile, IsFolder, List, Read, Write, Remove, Copy, Move, HostPath };

    explicit FaultFileSystem(platform::FileSystem& inner) : inner_(inner) {}

    /// Runs before each call with its kind and the path it reads or writes (the target of a
    /// copy or move). Throwing from it fails the call; the wrapped file system is not reached.
    std::function<void(Op, const QString&)> before;
    /// Runs after each call that returned.
    std::function<void(Op, const QString&)> after;

    /// Calls seen so far, counting failed ones.
    int calls() const { return calls_; }

    bool exists(const QString& path) override;
    bool isFile(const QString& path) override;
    bool isFolder(const QString& path) override;
    QStringList list(const QString& folder, const QString& pattern) override;
    QString firstMatch(const QString& folder, const QString& pattern) override;
    std::string readFile(const QString& path) override;
    void writeFile(const QString& path, const std::string& bytes) override;
    void remove(const QString& path) override;
    void copyReplacing(const QString& from, const QString& to) override;
    void moveReplacing(const QString& from, const QString& to) override;
    QString hostPath(const QString& path) override;

private:
    template <typename F>
    auto call(Op op, const QString& path, F&& f);

    platform::FileSystem& inner_;
    int calls_ = 0;
};

/// True for the calls that change what is on disk.
bool changesDisk(FaultFileSystem::Op op);

}  // namespace reliability
