#pragma once
#include "tests/support/temp_tree.h"

#include <string>

namespace testing_support {

/// A statement server for store 7 of "host" in a temporary folder, with the folders a store has.
class StatementShare : public TempTree {
public:
    explicit StatementShare(const QString& base = QDir::tempPath()) : TempTree(base)
    {
        for (const char* folder : {"statements/temp", "statements/tempdet", "statements/out", "in"})
            mkdir(QStringLiteral("unc/host/parlow/email7/") + folder);
        mkdir("unc/host/tarnlnk/TVK7/STATEMENTS/0105");
        mkdir("config");
    }

    QString uncRoot() const { return at("unc"); }
    QString store(const QString& relative) const { return "unc/host/parlow/email7/" + relative; }
    void drop(const QString& name, const std::string& text) const { write(store("statements/temp/" + name), text); }
    void dropDetails(const QString& name, const std::string& text) const
    {
        write(store("statements/tempdet/" + name), text);
    }
    bool inStore(const QString& relative) const { return exists(store(relative)); }
    std::string readStore(const QString& relative) const { return read(store(relative)); }
};

/// A statement of account `account` with reference `ref`, CR LF line ends; `extra` lines
/// are added before the F record.
inline std::string statementText(const std::string& account, const std::string& extra = {},
                                 const std::string& marker = {}, const std::string& ref = "0105")
{
    std::string star = "*\tTORVIK HARDWARE\t12 Mill Rd\tSpringfield OR\t\tThank you\t\t";
    if (!marker.empty())
        star += "\t" + marker;
    return star + "\r\n"
           + "H\tAcme Corp\t1 Main St\tEugene OR 97401\t\t06/30/26\t" + account + "\t150.00\r\n"
           + "E\tap@acme.example\t" + ref + "\tar@torvik.example\t\t\t\r\n"
           + "D\t06/01/26\t1001\tBolts\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\r\n" + extra
           + "F\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\t10.00\r\n";
}

}  // namespace testing_support
