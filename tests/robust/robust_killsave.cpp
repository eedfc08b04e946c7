// A kill in the middle of high score saves. A child process saves a table of
// ten entries to highscore.dat in a loop without end, two tables in turn; the
// parent kills it with SIGKILL at a random moment, many times over. After
// every kill highscore.dat must be one of the two tables whole (320 bytes),
// and the game's reader must load it as ten entries: never a truncated, empty
// or mixed file.
//
//   tessaril_robust_killsave [rounds]

#include "uHighscore.h"

#include <csignal>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

const char* const kTable = "highscore.dat";

// Ten entries with fixed dates, so that the bytes of a table are known.
void FillTable(THighscoreManager& table, const std::string& prefix, uint32_t top) {
    for (int i = 0; i < 10; ++i) {
        table.AddScore(prefix + std::to_string(i), top - static_cast<uint32_t>(i) * 100, 1, 1);
        table.Entries.back()->Date = 45000.25 + i;
    }
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

void SleepMicroseconds(long us) {
    timespec t{us / 1000000, (us % 1000000) * 1000};
    nanosleep(&t, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 300;
    char folder[] = "/tmp/tessaril-killsave-XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) {
        std::perror("work folder");
        return 1;
    }

    THighscoreManager older(nullptr);
    THighscoreManager newer(nullptr);
    FillTable(older, "OLD", 5000);
    FillTable(newer, "NEW", 9000);
    if (!older.SaveToFile("older.ref") || !newer.SaveToFile("newer.ref")) {
        std::printf("robust killsave FAILED: reference tables not written\n");
        return 1;
    }
    const std::string olderBytes = Read("older.ref");
    const std::string newerBytes = Read("newer.ref");
    if (olderBytes.size() != 10 * kHScoreRecordSize || newerBytes.size() != olderBytes.size() ||
        olderBytes == newerBytes) {
        std::printf("robust killsave FAILED: reference tables of %zu and %zu bytes\n",
                    olderBytes.size(), newerBytes.size());
        return 1;
    }
    older.SaveToFile(kTable);

    std::mt19937 rng(2024);
    int failures = 0;
    int changed = 0; // kills after which the other table was on disk
    int midSave = 0; // kills that left a save's temporary file behind
    std::string last = olderBytes;
    for (int round = 0; round < rounds && failures < 5; ++round) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child < 0) {
            std::perror("fork");
            return 1;
        }
        if (child == 0) {
            for (unsigned i = 0;; ++i)
                (i % 2 == 0 ? newer : older).SaveToFile(kTable);
        }
        // From at once to a few dozen saves in.
        SleepMicroseconds(std::uniform_int_distribution<long>(0, 20000)(rng));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        const std::string now = Read(kTable);
        if (now != olderBytes && now != newerBytes) {
            std::printf("robust killsave FAILED: round %d left %zu bytes that are neither table\n",
                        round, now.size());
            ++failures;
            continue;
        }
        THighscoreManager loaded(nullptr);
        if (!loaded.LoadFromFile(kTable) || loaded.Entries.size() != 10) {
            std::printf("robust killsave FAILED: round %d: the reader found %zu entries\n", round,
                        loaded.Entries.size());
            ++failures;
        }
        if (now != last)
            ++changed;
        last = now;
        if (Exists(std::string(kTable) + ".tmp"))
            ++midSave;
    }

    const std::string command = std::string("rm -rf '") + folder + "'";
    if (chdir("/") != 0 || std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", folder);
    // Kills that found the file changed show that saves ran; kills that left
    // the temporary file show that some landed inside a save.
    if (failures == 0 && (changed == 0 || midSave == 0)) {
        std::printf(
            "robust killsave FAILED: no kill landed inside a save (%d changes, %d inside)\n",
            changed, midSave);
        return 1;
    }
    std::printf("robust killsave: %d kills, %d failed; the table had changed after %d of them, %d "
                "landed inside a save\n",
                rounds, failures, changed, midSave);
    return failures == 0 ? 0 : 1;
}
