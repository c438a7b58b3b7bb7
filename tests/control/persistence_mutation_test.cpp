#include "tests/support/child_process.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <string>

namespace cutshape {
namespace {

using namespace std::chrono_literals;

// Mutants run in batches, each in a probe process of its own (persistence_mutation_probe),
// so a crash or a hang fails that batch instead of ending the suite. The probe bounds each
// mutant; the deadline here bounds a batch.
constexpr std::size_t kBatchSize = 600;
// `make test` takes every fifth mutant (five is prime to the eight bits of a byte and to the
// two ways a property set is loaded, so the sample still meets every kind of mutant); `make
// soak` sets CUTSHAPE_ALL_MUTANTS and takes them all.
const std::size_t kStride = std::getenv("CUTSHAPE_ALL_MUTANTS") ? 1 : 5;
constexpr auto kBatchDeadline = 600s;

constexpr const char* kRestoredAndWorking = "restored; Load 0x00000000; Restore 0x00000000";

struct Totals {
    long long mutants = 0;
    std::map<std::string, long long> outcomes;

    long long count(const std::string& outcome) const {
        const auto found = outcomes.find(outcome);
        return found == outcomes.end() ? 0 : found->second;
    }
};

// Runs every batch of `kind`; adds up the mutants and outcomes the probe reports.
Totals runAllBatches(const wchar_t* kind) {
    const std::wstring probe = test::besideThisProgram(L"persistence_mutation_probe.exe");
    Totals totals;
    long long all = -1;
    for (std::size_t first = 0; all < 0 || static_cast<long long>(first) < all;
         first += kBatchSize) {
        const test::ChildResult child = test::runChildCapturingOutput(
            probe,
            std::wstring(kind) + L" " + std::to_wstring(first) + L" " +
                std::to_wstring(kBatchSize) + L" " + std::to_wstring(kStride),
            kBatchDeadline);
        SCOPED_TRACE("batch from mutant " + std::to_string(first));
        EXPECT_FALSE(child.timedOut) << "the batch did not end within its deadline";
        EXPECT_EQ(child.exitCode, 0u) << "exit code 0x" << std::hex << child.exitCode << "\n"
                                      << child.output;
        std::smatch match;
        if (!std::regex_search(child.output, match, std::regex("mutants (\\d+) of (\\d+)"))) {
            ADD_FAILURE() << "the probe reported no mutants:\n" << child.output;
            break;
        }
        totals.mutants += std::stoll(match[1]);
        all = std::stoll(match[2]);
        const std::regex outcome("outcome (.*): (\\d+)");
        for (auto line = std::sregex_iterator(child.output.begin(), child.output.end(), outcome);
             line != std::sregex_iterator(); ++line)
            totals.outcomes[(*line)[1]] += std::stoll((*line)[2]);
    }
    std::printf("%ls mutants: %lld\n", kind, totals.mutants);
    for (const auto& [outcome, count] : totals.outcomes)
        std::printf("  %s: %lld\n", outcome.c_str(), count);
    return totals;
}

// Bit flips, truncations, extensions, size fields and class identifiers of a saved stream:
// no crash, no hang, a failure or a state the control works with; a fresh control still
// takes the valid stream.
TEST(PersistenceMutation, StreamMutantsAreRefusedOrRestoredSafely) {
    const Totals totals = runAllBatches(L"stream");
    EXPECT_GT(totals.mutants * static_cast<long long>(kStride), 2000);
    // Both ways out were taken: the mutants reach the reader's checks and its success path.
    EXPECT_GT(totals.count(kRestoredAndWorking), 0);
    EXPECT_GT(totals.mutants - totals.count(kRestoredAndWorking),
              500 / static_cast<long long>(kStride));
}

// Values of every type per key, keys left out, reads that fail or deliver nothing, in the
// container's converting bag and in a verbatim one.
TEST(PersistenceMutation, PropertySetMutantsAreRefusedOrRestoredSafely) {
    const Totals totals = runAllBatches(L"bag");
    EXPECT_GT(totals.mutants * static_cast<long long>(kStride), 1500);
    EXPECT_GT(totals.count(kRestoredAndWorking), 0);
    EXPECT_GT(totals.count("refused 0x800A000D"), 0); // type mismatches
}

} // namespace
} // namespace cutshape
