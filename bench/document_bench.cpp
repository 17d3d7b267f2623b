#include "bench/bench_support.h"
#include "mailer/document/invoice_details.h"
#include "mailer/document/statement.h"
#include "mailer/pdf/render_cache.h"
#include "mailer/pdf/writer.h"
#include "tests/mailer/document/document_fixture.h"

#include <benchmark/benchmark.h>

using namespace document;
using testing_support::DocumentFixture;

namespace {

/// Reads, lays out and exports one statement with its invoice details, page by page as the
/// job does, into memory, with what the run's documents share.
std::string renderOnce(DocumentFixture& fx, bool withInvoices, pdf::RenderCache& cache)
{
    pdf::StringOutput out;
    pdf::Writer writer(out, &cache);
    Statement(fx.run, fx.read(), fx.fs, &cache.document()).Run(writer);
    if (withInvoices)
        InvoiceDetails(fx.detPath, fx.fs, &cache.document()).Run(writer);
    writer.finish();
    return std::move(out.bytes);
}

/// The demo store's logo in the install folder, as a store with a logo has it.
void writeStoreLogo(DocumentFixture& fx)
{
    const QImage logo(QStringLiteral(TORVIK_SOURCE_DIR "/demo/install/stmtlogo"));
    if (logo.isNull())
        throw std::runtime_error("cannot read demo/install/stmtlogo");
    fx.writeLogo(QStringLiteral("Stmtlogo"), logo);
}

void statement(benchmark::State& state, int lines, int invoices, bool logo = false)
{
    DocumentFixture fx;
    pdf::RenderCache cache;
    fx.writeStatement(testing_support::statementText(lines, true));
    if (invoices > 0)
        fx.writeDetails(testing_support::invoiceText(invoices, 5));
    if (logo)
        writeStoreLogo(fx);
    int pages = 0;
    for (auto _ : state) {
        const QByteArray pdf = QByteArray::fromStdString(renderOnce(fx, invoices > 0, cache));
        benchmark::DoNotOptimize(pdf.constData());
        pages = pdf.count("/Type /Page\n") + pdf.count("/Type /Page ");
    }
    state.counters["pdf_pages"] = pages;
}

void BM_Statement20Lines(benchmark::State& state) { statement(state, 20, 0); }
void BM_Statement30Lines(benchmark::State& state) { statement(state, 30, 0); }
void BM_Statement20LinesWithLogo(benchmark::State& state) { statement(state, 20, 0, true); }
void BM_Statement500LinesWith20Invoices(benchmark::State& state) { statement(state, 500, 20); }

/// Resident memory after 100 renders and after 1,000 more: no growth means nothing leaks.
void BM_MemoryAcross1000Renders(benchmark::State& state)
{
    DocumentFixture fx;
    pdf::RenderCache cache;
    fx.writeStatement(testing_support::statementText(30, true));
    fx.writeDetails(testing_support::invoiceText(2, 5));
    writeStoreLogo(fx);
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i)
            renderOnce(fx, true, cache);
        const long before = bench::residentKiB();
        for (int i = 0; i < 1000; ++i)
            renderOnce(fx, true, cache);
        const long after = bench::residentKiB();
        state.counters["rss_before_KiB"] = before;
        state.counters["rss_after_KiB"] = after;
        state.counters["growth_KiB"] = after - before;
    }
}

}  // namespace

BENCHMARK(BM_Statement20Lines)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Statement30Lines)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Statement20LinesWithLogo)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Statement500LinesWith20Invoices)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_MemoryAcross1000Renders)->Unit(benchmark::kMillisecond)->Iterations(1);

