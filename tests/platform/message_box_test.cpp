#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <thread>

#include "tests/support/captured_boxes.h"

namespace zavel {
namespace {

TEST(MessageBox, CapturedFromAnyThreadAndPresenterRestored) {
    {
        test::CapturedBoxes boxes;
        platform::ShowErrorBox("Internal Error");
        std::thread worker([] { platform::ShowErrorBox("from the worker"); });
        worker.join();
        platform::ShowMessageBox("ZAVEL has been installed", platform::BoxIcon::kNone);
        EXPECT_EQ(boxes.boxes(),
                  (std::vector{test::ErrorBox("Internal Error"), test::ErrorBox("from the worker"),
                               test::PlainBox("ZAVEL has been installed")}));
    }
    // After the capture ends the default presenter is back (an empty one).
    auto previous = platform::SetMessageBoxPresenter({});
    EXPECT_FALSE(previous);
}

}  // namespace
}  // namespace zavel
