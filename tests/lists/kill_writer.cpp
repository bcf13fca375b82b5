// Writes one of the program's own files over and over through the program's own writer,
// alternating between a new and an old version, until it is killed. The kill tests start it,
// kill it at random moments and look at what it left.
//
//   zavel_kill_writer settings <path>   status.lst through the settings writer
//   zavel_kill_writer wordlist <path>   a word list through the word list writer
//
// Prints "ready" once it is about to begin its first write. Exits with 2 on wrong arguments and
// with 3 when a write fails; a kill is its only other way to end.
#include <cstdio>
#include <string>

#include "lists/word_list_writer.h"
#include "tests/lists/kill_writer_contents.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const std::string kind = argv[1];
    const std::string path = argv[2];
    if (kind != "settings" && kind != "wordlist") {
        return 2;
    }
    const zavel::test::SettingsVersion settings[] = {zavel::test::NewSettingsVersion(),
                                                     zavel::test::OldSettingsVersion()};
    const std::vector<std::string> lists[] = {zavel::test::NewWordList(),
                                              zavel::test::OldWordList()};
    std::puts("ready");
    std::fflush(stdout);
    for (unsigned round = 0;; round ^= 1) {
        const bool written =
            kind == "settings"
                ? zavel::WriteSettingsFile(path, settings[round].values, settings[round].address)
                : zavel::WriteWordList(path, lists[round]);
        if (!written) {
            return 3;
        }
    }
}
