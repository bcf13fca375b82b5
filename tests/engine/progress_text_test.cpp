// The progress display's texts: the fetch status by code and the bounded pane text.
#include "engine/progress_text.h"

#include <gtest/gtest.h>

namespace zavel {
namespace {

TEST(ProgressText, StatusTextsByCode) {
    const std::pair<int, const char*> table[] = {
        {10, "Resolving Name..."},
        {11, "Name resolved."},
        {20, "Connecting to Server..."},
        {21, "Connected to Server."},
        {30, "Sending Request..."},
        {31, "Request Sent."},
        {40, "Receiving Response..."},
        {41, "Response Received."},
        {50, "Closing Connection..."},
        {51, "Connection Closed."},
        {0, ""},
        {12, ""},
        {-1, ""},
        {60, ""},
    };
    for (const auto& [code, text] : table) {
        EXPECT_EQ(StatusText(code), text) << code;
    }
}

TEST(ProgressText, StatusAddressAndPlaceInTheTable) {
    LinkRecord record;
    record.host = "example.com";
    record.dir = "/docs";
    record.file = "/index.html";
    EXPECT_EQ(ProgressText(40, record, 4, 17),
              "Receiving Response... example.com/docs/index.html (4/17)");
    // An unknown code leaves the status empty; the space stays.
    EXPECT_EQ(ProgressText(0, record, 0, 1), " example.com/docs/index.html (0/1)");
}

TEST(ProgressText, LongAddressIsCutSoThePaneTextStaysBounded) {
    LinkRecord record;
    record.host = "example.com";
    record.dir = "/" + std::string(998, 'd');
    record.file = "/" + std::string(998, 'f');
    const std::string text = ProgressText(41, record, 50000, 50000);
    EXPECT_EQ(text, "Response Received. " + std::string("example.com/") +
                        std::string(kPaneAddressBytes - 15, 'd') + "... (50000/50000)");
    EXPECT_LE(text.size(), 19 + kPaneAddressBytes + 14);
}

TEST(ProgressText, CutNeverSplitsACharacter) {
    // "é" is two bytes: a cut that would fall inside it backs off before it.
    const std::string text =
        "ab\xC3\xA9"
        "cdefgh";
    EXPECT_EQ(CutText(text, 6), "ab...");
    EXPECT_EQ(CutText(text, 7), "ab\xC3\xA9...");
    EXPECT_EQ(CutText(text, 10), text);
    EXPECT_EQ(CutText(text, 2), "..");
}

}  // namespace
}  // namespace zavel
