#pragma once
#include "mailer/document/document_cache.h"
#include "mailer/document/report.h"
#include "mailer/input/mod_brevix.h"
#include "mailer/input/statement_values.h"
#include "platform/file_system.h"

#include <memory>
#include <vector>

namespace document {

/// The statement of one customer: remittance stub, account heading, one shaded row per
/// statement line, totals. Draws a statement already read, in the run's colours; reads only the
/// logos through the file system.
class Statement : public Report {
public:
    /// `cache`: what the run's documents share; without one the statement makes its own. `file`
    /// must outlive the statement.
    Statement(const input::modBrevix& settings, const input::StatementFile& file, platform::FileSystem& fs,
              DocumentCache* cache = nullptr);

    static const char* const NarrowLogoPath;
    static const char* const WideLogoPath;

protected:
    void ActiveReport_ReportStart() override;
    void ActiveReport_DataInitialize() override;
    void ActiveReport_FetchData(bool& eof) override;
    void ActiveReport_ReportEnd() override;

private:
    void Recolour(Section& section, bool shade);
    void LoadLogo();
    QImage LoadPicture(const QString& path, const platform::FileStamp& stamp);
    /// Whether a logo file is there, and how it stands.
    std::optional<platform::FileStamp> LogoFile(const QString& path);

    const input::modBrevix& settings_;
    const input::StatementFile& file_;
    platform::FileSystem& fs_;
    std::unique_ptr<DocumentCache> ownCache_;
    DocumentCache& cache_;
    int64_t row_ = 1;
    std::vector<int> lineFields_;  ///< the field of each value of a statement line
};

}  // namespace document
