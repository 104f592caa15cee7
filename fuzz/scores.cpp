// The score table file: any text gives at most ten entries, best first, each
// with a score above 0, a level, a date and a name the font can draw; what it
// gives is written and read back intact.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "game/scores.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ParsedScores parsed = ParseScores(text);
    const ScoreTable& table = parsed.table;
    FUZZ_CHECK(table.entries.size() <= kTableSize, "%zu entries", table.entries.size());
    for (std::size_t i = 0; i < table.entries.size(); ++i) {
        const ScoreEntry& entry = table.entries[i];
        FUZZ_CHECK(entry.score > 0 && entry.level > 0, "entry %zu: score %d, level %d", i, entry.score, entry.level);
        FUZZ_CHECK(i == 0 || table.entries[i - 1].score >= entry.score, "entry %zu is out of order", i);
        FUZZ_CHECK(entry.date.size() == 10, "entry %zu: date '%s'", i, entry.date.c_str());
        FUZZ_CHECK(IsValidName(entry.name), "entry %zu: name '%s'", i, entry.name.c_str());
    }
    FUZZ_CHECK(table.last_name.empty() || IsValidName(table.last_name), "last name '%s'", table.last_name.c_str());
    FUZZ_CHECK(parsed.skipped >= 0 && (parsed.skipped == 0) == parsed.first_problem.empty(),
               "%d skipped lines, problem '%s'", parsed.skipped, parsed.first_problem.c_str());

    ParsedScores again = ParseScores(FormatScores(table));
    FUZZ_CHECK(again.skipped == 0, "the written file has a bad line: %s", again.first_problem.c_str());
    FUZZ_CHECK(again.table == table, "the table changed on the way back");
    return 0;
}
