#include "app/main_window.h"

#include "app/qt_text.h"
#include "app/web_page.h"
#include "startup/app_identity.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHeaderView>
#include <QWebEngineView>

namespace zorlith {

namespace {

QLabel* TransparentLabel(QWidget* parent, const char* name, const QRect& geometry,
                         const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(geometry);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAutoFillBackground(false);
    return label;
}

void SetIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text) {
        label->setText(text);
    }
}

QString LinkMarkup(const QString& title, const QString& address) {
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(address.toHtmlEscaped(), title.toHtmlEscaped());
}

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, ExternalLinks& links, MainWindowHandlers handlers)
    : dialogs_(dialogs), links_(links), handlers_(std::move(handlers)),
      drawTimer_(new QTimer(this)), drawBox_(new QGroupBox(this)),
      issueLabel_(TransparentLabel(drawBox_, "透明标签_期号", QRect(8, 8, 136, 24),
                                   QStringLiteral("PK拾第556342期："))),
      numbersLabel_(TransparentLabel(drawBox_, "透明标签_开奖号码", QRect(8, 30, 240, 24),
                                     QStringLiteral("03 10 06 07 04 05 08 02 01 09"))),
      countdownCaption_(TransparentLabel(drawBox_, "透明标签2", QRect(96, 56, 104, 18),
                                         QStringLiteral("开奖剩余时间： "))),
      countdownValue_(
          TransparentLabel(drawBox_, "透明标签4", QRect(195, 58, 54, 15), QStringLiteral("00:00"))),
      browser_(new QWebEngineView(this)), planTextBox_(new PlanTextBox(this)),
      planView_(*planTextBox_), copyButton_(new QPushButton(QStringLiteral("复制"), this)),
      historyList_(new QTreeWidget(this)),
      clearButton_(new QPushButton(QStringLiteral("清理计划并重新获取"), this)),
      linkStrip_(new QGroupBox(this)), linkTemplate_(new QLabel(linkStrip_)) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(ToQString(AppIdentity.title));
    setGeometry(50, 50, 900, 664);
    setFixedSize(900, 664);

    drawTimer_->setObjectName(QStringLiteral("时钟_剩余开奖时间"));
    connect(drawTimer_, &QTimer::timeout, this, [this] {
        if (handlers_.drawTimerTick) {
            handlers_.drawTimerTick();
        }
    });

    drawBox_->setObjectName(QStringLiteral("分组框3"));
    drawBox_->setGeometry(5, 0, 259, 85);

    browser_->setObjectName(QStringLiteral("超文本浏览框1"));
    browser_->setGeometry(5, 112, 259, 480);
    browser_->setContextMenuPolicy(Qt::NoContextMenu);
    browser_->setPage(new GuardedWebPage(
        links_, [this] { return startupComplete_; }, browser_));

    planTextBox_->setGeometry(266, 4, 358, 588);

    // The copy button sits over the plan text box's lower right corner, so it is raised.
    copyButton_->setObjectName(QStringLiteral("按钮3"));
    copyButton_->setGeometry(564, 568, 40, 20);
    copyButton_->raise();
    connect(copyButton_, &QPushButton::clicked, this, &MainWindow::onCopy);

    historyList_->setObjectName(QStringLiteral("超级列表框2"));
    historyList_->setGeometry(624, 4, 264, 564);
    historyList_->setColumnCount(2);
    historyList_->setHeaderLabels({QStringLiteral("期号"), QStringLiteral("开奖结果")});
    historyList_->setColumnWidth(0, 50);
    historyList_->setColumnWidth(1, 195);
    historyList_->setRootIsDecorated(false);
    historyList_->setUniformRowHeights(true);
    historyList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    historyList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    historyList_->header()->setStretchLastSection(false);

    clearButton_->setObjectName(QStringLiteral("按钮_清理计划"));
    clearButton_->setGeometry(624, 571, 264, 20);
    connect(clearButton_, &QPushButton::clicked, this, &MainWindow::onClear);

    linkStrip_->setObjectName(QStringLiteral("分组框2"));
    linkStrip_->setGeometry(4, 594, 884, 40);
    linkTemplate_->setObjectName(QStringLiteral("超级链接框2"));
    linkTemplate_->setGeometry(4, 12, 96, 20);
    linkTemplate_->setProperty("role", QStringLiteral("link"));
    linkTemplate_->hide();
}

MainWindow::~MainWindow() {
    StopDrawTimer();
}

void MainWindow::ShowLatestDraw(const std::string& issueLabel, const std::string& numbers) {
    SetIfChanged(issueLabel_, ToQString(issueLabel));
    SetIfChanged(numbersLabel_, ToQString(numbers));
}

void MainWindow::AddHistoryRow(const std::string& issue, const std::string& numbers) {
    auto* row = new QTreeWidgetItem({ToQString(issue), ToQString(numbers)});
    historyList_->insertTopLevelItem(0, row);
}

void MainWindow::StartDrawTimer() {
    drawTimer_->start(kDrawTimerPeriodMs);
}

void MainWindow::StopDrawTimer() {
    drawTimer_->stop();
}

void MainWindow::LayOutLinks(const std::vector<std::string>& titles,
                             const std::vector<std::string>& urls) {
    const QRect slot = linkTemplate_->geometry();
    int x = slot.left();
    for (size_t i = 0; i < titles.size(); ++i) {
        // A title without an address gets a link that leads nowhere.
        const QString address = i < urls.size() ? ToQString(urls[i]) : QString();
        auto* link = new QLabel(linkStrip_);
        link->setObjectName(QStringLiteral("超级链接框2_%1").arg(i + 1));
        link->setProperty("role", QStringLiteral("link"));
        link->setGeometry(x, slot.top(), slot.width(), slot.height());
        link->setTextFormat(Qt::RichText);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        link->setOpenExternalLinks(false);
        link->setText(LinkMarkup(ToQString(titles[i]), address));
        link->setToolTip(address);
        connect(link, &QLabel::linkActivated, this, &MainWindow::onLinkActivated);
        link->show();
        x += slot.width() + kLinkGap;
    }
}

void MainWindow::SetPageAddress(const std::string& address) {
    browser_->setUrl(QUrl(ToQString(address)));
}

void MainWindow::SetCountdownCaption(const std::string& text) {
    SetIfChanged(countdownCaption_, ToQString(text));
}

void MainWindow::SetCountdownValue(const std::string& text) {
    SetIfChanged(countdownValue_, ToQString(text));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    StopDrawTimer();
    event->accept();
    if (handlers_.closed) {
        handlers_.closed();
    }
}

void MainWindow::onCopy() {
    QApplication::clipboard()->setText(planTextBox_->toPlainText());
    dialogs_.inform(QStringLiteral("已将计划内容复制到剪辑版！"));
}

void MainWindow::onClear() {
    if (handlers_.clearPlan) {
        handlers_.clearPlan();
    }
    dialogs_.inform(QStringLiteral("清理成功！计划已经重新获取。"));
}

void MainWindow::onLinkActivated(const QString& address) {
    OpenWebAddress(links_, QUrl(address));
}

} // namespace zorlith
