#include "bench/bench_support.h"
#include "mailer/document/invoice_details.h"
#include "mailer/pdf/writer.h"
#include "mailer/document/statement.h"
#include "tests/mailer/document/document_fixture.h"

#include <benchmark/benchmark.h>

using namespace document;
using testing_support::DocumentFixture;

namespace {

/// Reads, lays out and exports one statement with its invoice details, page by page as the
/// job does, into memory.
std::string renderOnce(DocumentFixture& fx, bool withInvoices)
{
    pdf::StringOutput out;
    pdf::Writer writer(out);
    Statement(fx.run, fx.fs).Run(writer);
    if (withInvoices)
        InvoiceDetails(fx.run, fx.fs).Run(writer);
    writer.finish();
    return std::move(out.bytes);
}

void statement(benchmark::State& state, int lines, int invoices)
{
    DocumentFixture fx;
    fx.writeStatement(testing_support::statementText(lines, true));
    if (invoices > 0)
        fx.writeDetails(testing_support::invoiceText(invoices, 5));
    int pages = 0;
    for (auto _ : state) {
        const QByteArray pdf = QByteArray::fromStdString(renderOnce(fx, invoices > 0));
        benchmark::DoNotOptimize(pdf.constData());
        pages = pdf.count("/Type /Page\n") + pdf.count("/Type /Page ");
    }
    state.counters["pdf_pages"] = pages;
}

void BM_Statement20Lines(benchmark::State& state) { statement(state, 20, 0); }
void BM_Statement30Lines(benchmark::State& state) { statement(state, 30, 0); }
void BM_Statement500LinesWith20Invoices(benchmark::State& state) { statement(state, 500, 20); }

/// Resident memory after 100 renders and after 1,000 more: no growth means nothing leaks.
void BM_MemoryAcross1000Renders(benchmark::State& state)
{
    DocumentFixture fx;
    fx.writeStatement(testing_support::statementText(30, true));
    fx.writeDetails(testing_support::invoiceText(2, 5));
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i)
            renderOnce(fx, true);
        const long before = bench::residentKiB();
        for (int i = 0; i < 1000; ++i)
            renderOnce(fx, true);
        const long after = bench::residentKiB();
        state.counters["rss_before_KiB"] = before;
        state.counters["rss_after_KiB"] = after;
        state.counters["growth_KiB"] = after - before;
    }
}

}  // namespace

BENCHMARK(BM_Statement20Lines)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Statement30Lines)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Statement500LinesWith20Invoices)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_MemoryAcross1000Renders)->Unit(benchmark::kMillisecond)->Iterations(1);

