#include "app/main_window.h"
#include "app_test_support.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <QWebEngineView>
#include <algorithm>
#include <gtest/gtest.h>

namespace zorlith {
namespace {

using testing::RecordingDialogs;
using testing::RecordingLinks;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindow& window() { return window_; }

    RecordingDialogs dialogs_;
    RecordingLinks links_;
    int clears_ = 0;
    int ticks_ = 0;
    MainWindow window_{dialogs_, links_,
                       MainWindowHandlers{.drawTimerTick = [this] { ++ticks_; },
                                          .clearPlan = [this] { ++clears_; },
                                          .closed = {}}};
};

struct ControlRow {
    const char* name;
    QRect geometry;
    const char* text;
};

TEST_F(MainWindowTest, WindowHasItsCaptionSizeAndPosition) {
    EXPECT_EQ(window().windowTitle(), QStringLiteral("ZorlithPK10平刷冠军单双"));
    EXPECT_EQ(window().geometry(), QRect(50, 50, 900, 664));
    EXPECT_FALSE(window().isVisible());
}

TEST_F(MainWindowTest, EveryControlHasItsPlaceSizeAndInitialText) {
    const ControlRow rows[] = {
        {"分组框3", QRect(5, 0, 259, 85), nullptr},
        {"透明标签_期号", QRect(8, 8, 136, 24), "PK拾第556342期："},
        {"透明标签_开奖号码", QRect(8, 30, 240, 24), "03 10 06 07 04 05 08 02 01 09"},
        {"透明标签2", QRect(96, 56, 104, 18), "开奖剩余时间： "},
        {"透明标签4", QRect(195, 58, 54, 15), "00:00"},
        {"超文本浏览框1", QRect(5, 112, 259, 480), nullptr},
        {"编辑框1", QRect(266, 4, 358, 588), ""},
        {"按钮3", QRect(564, 568, 40, 20), "复制"},
        {"超级列表框2", QRect(624, 4, 264, 564), nullptr},
        {"按钮_清理计划", QRect(624, 571, 264, 20), "清理计划并重新获取"},
        {"分组框2", QRect(4, 594, 884, 40), nullptr},
        {"超级链接框2", QRect(4, 12, 96, 20), nullptr},
    };
    for (const ControlRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto* control = window().findChild<QWidget*>(QString::fromUtf8(row.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), row.geometry);
        if (row.text == nullptr) {
            continue;
        }
        if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_EQ(label->text(), QString::fromUtf8(row.text));
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(button->text(), QString::fromUtf8(row.text));
        } else if (auto* box = qobject_cast<QPlainTextEdit*>(control)) {
            EXPECT_EQ(box->toPlainText(), QString::fromUtf8(row.text));
        }
    }
}

TEST_F(MainWindowTest, LabelsSitInTheDrawFrameAndTheTemplateInTheLinkStrip) {
    EXPECT_EQ(window().issueLabel()->parentWidget()->objectName(), QStringLiteral("分组框3"));
    EXPECT_EQ(window().countdownValue()->parentWidget()->objectName(), QStringLiteral("分组框3"));
    EXPECT_EQ(window().linkTemplate()->parentWidget(), window().linkStrip());
    EXPECT_TRUE(window().linkTemplate()->isHidden());
}

TEST_F(MainWindowTest, HistoryListHasTwoColumnsOfTheirWidths) {
    QTreeWidget* list = window().historyList();
    ASSERT_EQ(list->columnCount(), 2);
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("期号"));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("开奖结果"));
    EXPECT_EQ(list->columnWidth(0), 50);
    EXPECT_EQ(list->columnWidth(1), 195);
}

TEST_F(MainWindowTest, CopyButtonSitsAboveThePlanTextBox) {
    window().show();
    const QPoint inside = window().copyButton()->geometry().center();
    EXPECT_EQ(window().childAt(inside), window().copyButton());
}

TEST_F(MainWindowTest, ShowLatestDrawWritesIssueAndNumbers) {
    window().ShowLatestDraw("PK拾第1234567期：", "01,02,03,04,05,06,07,08,09,10");
    EXPECT_EQ(window().issueLabel()->text(), QStringLiteral("PK拾第1234567期："));
    EXPECT_EQ(window().numbersLabel()->text(), QStringLiteral("01,02,03,04,05,06,07,08,09,10"));
}

TEST_F(MainWindowTest, NewRowsGoOnTop) {
    window().AddHistoryRow("100", "01,02,03,04,05,06,07,08,09,10");
    window().AddHistoryRow("101", "10,09,08,07,06,05,04,03,02,01");
    QTreeWidget* list = window().historyList();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("101"));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("10,09,08,07,06,05,04,03,02,01"));
    EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("100"));
}

TEST_F(MainWindowTest, AnUnchangedCountdownIsNotWrittenAgain) {
    window().SetCountdownValue("01：00");
    window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    int repaints = 0;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                ++count;
            }
            return false;
        }
    } counter(repaints);
    window().countdownValue()->installEventFilter(&counter);
    for (int i = 0; i < 5; ++i) {
        window().SetCountdownValue("01：00");
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(repaints, 0);
    window().SetCountdownValue("00：59");
    EXPECT_TRUE(testing::ProcessEventsUntil([&] { return repaints > 0; }, 2000));
}

TEST_F(MainWindowTest, DrawTimerTicksEveryHundredMilliseconds) {
    EXPECT_FALSE(window().drawTimer()->isActive());
    window().StartDrawTimer();
    EXPECT_EQ(window().drawTimer()->interval(), 100);
    EXPECT_TRUE(window().drawTimer()->isActive());
    EXPECT_TRUE(testing::ProcessEventsUntil([this] { return ticks_ >= 2; }, 3000));
    window().StopDrawTimer();
    EXPECT_FALSE(window().drawTimer()->isActive());
}

TEST_F(MainWindowTest, ClosingTheWindowStopsTheDrawTimer) {
    window().show();
    window().StartDrawTimer();
    window().close();
    EXPECT_FALSE(window().drawTimer()->isActive());
}

TEST_F(MainWindowTest, CopyPutsThePlanOnTheClipboardAndSaysSo) {
    window().planView().replacePlanText("第1期\r\n第2期\r\n");
    QApplication::clipboard()->clear();
    QTest::mouseClick(window().copyButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("第1期\n第2期\n"));
    EXPECT_EQ(dialogs_.messages, QStringList{QStringLiteral("已将计划内容复制到剪辑版！")});
}

TEST_F(MainWindowTest, ClearRebuildsThenSaysSo) {
    QTest::mouseClick(window().clearButton(), Qt::LeftButton);
    EXPECT_EQ(clears_, 1);
    EXPECT_EQ(dialogs_.messages, QStringList{QStringLiteral("清理成功！计划已经重新获取。")});
}

class PlanTextBoxTest : public MainWindowTest {
protected:
    void SetUp() override {
        window().planView().replacePlanText("计划一\r\n计划二\r\n");
        window().show();
        box()->setFocus();
        QApplication::clipboard()->clear();
    }
    PlanTextBox* box() { return window().planTextBox(); }
    const QString kShown = QStringLiteral("计划一\n计划二\n");
};

TEST_F(PlanTextBoxTest, TypingChangesNothing) {
    QTest::keyClicks(box(), QStringLiteral("abc 123"));
    QTest::keyClick(box(), Qt::Key_Return);
    QTest::keyClick(box(), Qt::Key_Backspace);
    QTest::keyClick(box(), Qt::Key_Delete);
    QTest::keyClick(box(), Qt::Key_Tab);
    EXPECT_EQ(box()->toPlainText(), kShown);
}

TEST_F(PlanTextBoxTest, PasteAndUndoChangeNothing) {
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClick(box(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(box(), Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(box(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box()->toPlainText(), kShown);
}

TEST_F(PlanTextBoxTest, CtrlCCopiesTheSelection) {
    box()->selectAll();
    QTest::keyClick(box(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), kShown);
}

TEST_F(PlanTextBoxTest, CtrlXCopiesAndLeavesTheText) {
    QTextCursor cursor = box()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    box()->setTextCursor(cursor);
    QTest::keyClick(box(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("计划一"));
    EXPECT_EQ(box()->toPlainText(), kShown);
}

TEST_F(PlanTextBoxTest, ArrowKeysStillMoveTheCaret) {
    window().planView().moveCaretToEnd();
    const int end = box()->textCursor().position();
    QTest::keyClick(box(), Qt::Key_Left);
    EXPECT_EQ(box()->textCursor().position(), end - 1);
    QTest::keyClick(box(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(box()->textCursor().position(), 0);
}

TEST_F(PlanTextBoxTest, RightClickOpensNoMenu) {
    const QPoint at(10, 10);
    QContextMenuEvent menuRequest(QContextMenuEvent::Mouse, at, box()->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(box()->viewport(), &menuRequest);
    QTest::mouseClick(box()->viewport(), Qt::RightButton, {}, at);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(box()->toPlainText(), kShown);
}

TEST_F(PlanTextBoxTest, MoveCaretToEndPlacesTheCaretAfterTheLastCharacter) {
    window().planView().moveCaretToEnd();
    EXPECT_EQ(box()->textCursor().position(), kShown.size());
}

class LinkLayoutTest : public MainWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(LinkLayoutTest, LinksStandSideBySideFromTheTemplate) {
    const int count = GetParam();
    std::vector<std::string> titles;
    std::vector<std::string> urls;
    for (int i = 1; i <= count; ++i) {
        titles.push_back("链接" + std::to_string(i));
        urls.push_back("http://127.0.0.1/ad/" + std::to_string(i));
    }
    window().LayOutLinks(titles, urls);
    window().show();

    QList<QLabel*> links;
    for (QLabel* label : window().linkStrip()->findChildren<QLabel*>()) {
        if (label != window().linkTemplate()) {
            links.push_back(label);
        }
    }
    ASSERT_EQ(links.size(), count);
    EXPECT_TRUE(window().linkTemplate()->isHidden());
    for (int i = 1; i <= count; ++i) {
        SCOPED_TRACE(i);
        QLabel* link = links[i - 1];
        EXPECT_EQ(link->geometry(), QRect(4 + 99 * (i - 1), 12, 96, 20));
        EXPECT_TRUE(link->isVisible());
        EXPECT_TRUE(link->text().contains(QString::fromStdString(titles[size_t(i - 1)])));
    }
    // The strip cuts off what lies beyond its right edge.
    const int stripWidth = window().linkStrip()->width();
    for (QLabel* link : links) {
        SCOPED_TRACE(link->x());
        const int shownWidth = std::clamp(stripWidth - link->x(), 0, link->width());
        EXPECT_EQ(link->visibleRegion().boundingRect().width(), shownWidth);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, LinkLayoutTest, ::testing::Values(0, 2, 10));

TEST_F(MainWindowTest, ClickingALinkOpensItsAddressInTheBrowser) {
    window().LayOutLinks({"官网", "坏链接"}, {"https://127.0.0.1/home", "file:///etc/passwd"});
    auto links = window().linkStrip()->findChildren<QLabel*>();
    QLabel* first = nullptr;
    QLabel* second = nullptr;
    for (QLabel* link : links) {
        if (link->text().contains(QStringLiteral("官网"))) {
            first = link;
        } else if (link->text().contains(QStringLiteral("坏链接"))) {
            second = link;
        }
    }
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    Q_EMIT first->linkActivated(QStringLiteral("https://127.0.0.1/home"));
    Q_EMIT second->linkActivated(QStringLiteral("file:///etc/passwd"));
    ASSERT_EQ(links_.opened.size(), 1u);
    EXPECT_EQ(links_.opened[0], QUrl(QStringLiteral("https://127.0.0.1/home")));
}

TEST_F(MainWindowTest, LinkTitlesAreShownAsTextNotMarkup) {
    window().LayOutLinks({"<b>粗</b>"}, {"http://127.0.0.1/\"x"});
    QLabel* link = nullptr;
    for (QLabel* label : window().linkStrip()->findChildren<QLabel*>()) {
        if (label != window().linkTemplate()) {
            link = label;
        }
    }
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().contains(QStringLiteral("&lt;b&gt;粗&lt;/b&gt;")));
    EXPECT_TRUE(link->text().contains(QStringLiteral("&quot;x")));
}

} // namespace
} // namespace zorlith
