#include "app/status_window.h"
#include "app_test_support.h"

#include <QCloseEvent>
#include <gtest/gtest.h>

namespace zorlith {
namespace {

class StatusWindowTest : public ::testing::Test {
protected:
    int userCloses_ = 0;
    StatusWindow status_{[this] { ++userCloses_; }};
};

TEST_F(StatusWindowTest, ShowsItsMessageAndPictureAtTheirPlaces) {
    ASSERT_TRUE(status_.Show(QStringLiteral("正在连接服务器……")));
    StatusWindowWidget* window = status_.widget();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), QRect(50, 50, 299, 210));
    EXPECT_EQ(window->windowTitle(), QString());
    EXPECT_EQ(window->messageLabel()->objectName(), QStringLiteral("标签1"));
    EXPECT_EQ(window->messageLabel()->geometry(), QRect(2, 136, 288, 40));
    EXPECT_EQ(window->messageLabel()->text(), QStringLiteral("正在连接服务器……"));
    EXPECT_EQ(window->pictureBox()->objectName(), QStringLiteral("图片框1"));
    EXPECT_EQ(window->pictureBox()->geometry(), QRect(96, 51, 88, 79));
    EXPECT_FALSE(window->pictureBox()->pixmap().isNull());
}

TEST_F(StatusWindowTest, TheLabelStartsWithItsOwnText) {
    StatusWindowWidget window([] {});
    EXPECT_EQ(window.messageLabel()->text(), QStringLiteral("正在获取网络数据,请稍后……"));
}

TEST_F(StatusWindowTest, ASecondShowKeepsTheFirstWindowAndMessage) {
    ASSERT_TRUE(status_.Show(QStringLiteral("第一")));
    StatusWindowWidget* first = status_.widget();
    EXPECT_FALSE(status_.Show(QStringLiteral("第二")));
    EXPECT_EQ(status_.widget(), first);
    EXPECT_EQ(first->messageLabel()->text(), QStringLiteral("第一"));
}

TEST_F(StatusWindowTest, CloseWithoutAWindowIsRefused) {
    EXPECT_FALSE(status_.Close());
    ASSERT_TRUE(status_.Show(QStringLiteral("x")));
    EXPECT_TRUE(status_.Close());
    EXPECT_FALSE(status_.Close());
}

TEST_F(StatusWindowTest, CloseDestroysTheWindowWithoutEndingTheProgram) {
    ASSERT_TRUE(status_.Show(QStringLiteral("x")));
    QPointer<StatusWindowWidget> window = status_.widget();
    EXPECT_TRUE(status_.Close());
    EXPECT_EQ(status_.widget(), nullptr);
    EXPECT_TRUE(testing::ProcessEventsUntil([&] { return window.isNull(); }, 2000));
    EXPECT_EQ(userCloses_, 0);
    // The window can be shown again afterwards.
    EXPECT_TRUE(status_.Show(QStringLiteral("y")));
}

TEST_F(StatusWindowTest, TheUsersCloseEndsTheProgram) {
    ASSERT_TRUE(status_.Show(QStringLiteral("x")));
    status_.widget()->close();
    EXPECT_EQ(userCloses_, 1);
    EXPECT_TRUE(testing::ProcessEventsUntil([&] { return status_.widget() == nullptr; }, 2000));
}

} // namespace
} // namespace zorlith
