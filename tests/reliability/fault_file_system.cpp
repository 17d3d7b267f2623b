#include "tests/reliability/fault_file_system.h"

#include <type_traits>

namespace reliability {

template <typename F>
auto FaultFileSystem::call(Op op, const QString& path, F&& f)
{
    ++calls_;
    if (before)
        before(op, path);
    if constexpr (std::is_void_v<decltype(f())>) {
        f();
        if (after)
            after(op, path);
    } else {
        auto result = f();
        if (after)
            after(op, path);
        return result;
    }
}

bool changesDisk(FaultFileSystem::Op op)
{
    using Op = FaultFileSystem::Op;
    return op == Op::Write || op == Op::Remove || op == Op::Copy || op == Op::Move;
}

bool FaultFileSystem::exists(const QString& path)
{
    return call(Op::Exists, path, [&] { return inner_.exists(path); });
}

bool FaultFileSystem::isFile(const QString& path)
{
    return call(Op::IsFile, path, [&] { return inner_.isFile(path); });
}

bool FaultFileSystem::isFolder(const QString& path)
{
    return call(Op::IsFolder, path, [&] { return inner_.isFolder(path); });
}

QStringList FaultFileSystem::list(const QString& folder, const QString& pattern)
{
    return call(Op::List, folder, [&] { return inner_.list(folder, pattern); });
}

QString FaultFileSystem::firstMatch(const QString& folder, const QString& pattern)
{
    return call(Op::List, folder, [&] { return inner_.firstMatch(folder, pattern); });
}

std::string FaultFileSystem::readFile(const QString& path)
{
    return call(Op::Read, path, [&] { return inner_.readFile(path); });
}

void FaultFileSystem::writeFile(const QString& path, const std::string& bytes)
{
    call(Op::Write, path, [&] { inner_.writeFile(path, bytes); });
}

void FaultFileSystem::remove(const QString& path)
{
    call(Op::Remove, path, [&] { inner_.remove(path); });
}

void FaultFileSystem::copyReplacing(const QString& from, const QString& to)
{
    call(Op::Copy, to, [&] { inner_.copyReplacing(from, to); });
}

void FaultFileSystem::moveReplacing(const QString& from, const QString& to)
{
    call(Op::Move, to, [&] { inner_.moveReplacing(from, to); });
}

QString FaultFileSystem::hostPath(const QString& path)
{
    return call(Op::HostPath, path, [&] { return inner_.hostPath(path); });
}

}  // namespace reliability
