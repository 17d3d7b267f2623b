#pragma once
#include "mailer/document/pages.h"
#include "mailer/input/mod_brevix.h"
#include "mailer/input/statement_values.h"
#include "platform/file_system.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_tree.h"

#include <QImage>
#include <string>
#include <vector>

namespace testing_support {

/// A statement share and install folder in a temp folder, reached by Windows path text.
class DocumentFixture {
public:
    DocumentFixture()
        : fs(platform::PathMapper(platform::PathRoots{tree.at("unc"), tree.at("home"), tree.at("cache")}))
    {
        tree.mkdir("home");
        tree.mkdir("unc/host/parlow/email7/statements/temp");
        tree.mkdir("unc/host/parlow/email7/statements/tempdet");
    }

    void writeStatement(const std::string& text) { fs.writeFile(stmtPath, text); }
    void writeDetails(const std::string& text) { fs.writeFile(detPath, text); }
    /// The statement written, read whole as the job reads it; kept in `file` for the report.
    const input::StatementFile& read();
    /// Writes a picture as a logo file without extension ("Stmtlogo", "Stmtlogowide").
    void writeLogo(const QString& name, const QImage& image)
    {
        image.save(tree.at("home/" + name), "PNG");
    }
    /// The statement's pages followed, when asked, by the invoice pages, as the job combines them.
    document::Pages combined(bool withInvoices = false);

    TempTree tree;
    platform::LocalFileSystem fs;
    input::modBrevix run;
    QString stmtPath = QStringLiteral("\\\\host\\parlow\\email7\\statements\\temp\\12345.txt");
    QString detPath = QStringLiteral("\\\\host\\parlow\\email7\\statements\\tempdet\\12345det.txt");
    input::StatementFile file;
};

/// A statement file: return address, heading, mail record, `lines` D records and totals.
std::string statementText(int lines, bool discount = false);

/// An invoice-detail file with `invoices` invoices of `linesEach` lines each.
std::string invoiceText(int invoices, int linesEach);

}  // namespace testing_support
