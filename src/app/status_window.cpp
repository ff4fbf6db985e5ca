#include "app/status_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace zorlith {

namespace {

// Ten coloured cars on a ring: the status window's picture.
QPixmap StatusPicture(const QSize& size) {
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    static const QColor kCarColours[] = {QColor(0xe6, 0xc2, 0x1a), QColor(0x1f, 0x6f, 0xc5),
                                         QColor(0x4d, 0x4d, 0x4d), QColor(0xf0, 0x7d, 0x1a),
                                         QColor(0x26, 0xb0, 0xc8), QColor(0x5b, 0x3c, 0xc4),
                                         QColor(0xa0, 0xa0, 0xa0), QColor(0xd9, 0x2b, 0x2b),
                                         QColor(0x8a, 0x1c, 0x1c), QColor(0x2e, 0x9b, 0x3c)};
    const QPointF centre(size.width() / 2.0, size.height() / 2.0);
    const double radius = std::min(size.width(), size.height()) / 2.0 - 9.0;
    for (int car = 0; car < 10; ++car) {
        const double angle = car * 36.0 * 3.14159265358979 / 180.0;
        const QPointF at(centre.x() + radius * std::sin(angle),
                         centre.y() - radius * std::cos(angle));
        painter.setPen(Qt::NoPen);
        painter.setBrush(kCarColours[car]);
        painter.drawEllipse(at, 7.5, 7.5);
    }
    painter.setPen(QColor(0x1f, 0x4e, 0x79));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(13);
    painter.setFont(font);
    painter.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("PK10"));
    return picture;
}

} // namespace

StatusWindowWidget::StatusWindowWidget(std::function<void()> onUserClose)
    : onUserClose_(std::move(onUserClose)), messageLabel_(new QLabel(this)),
      pictureBox_(new QLabel(this)) {
    setObjectName(QStringLiteral("StatusWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());
    setGeometry(50, 50, 299, 210);
    messageLabel_->setObjectName(QStringLiteral("标签1"));
    messageLabel_->setGeometry(2, 136, 288, 40);
    messageLabel_->setAlignment(Qt::AlignCenter);
    messageLabel_->setText(QStringLiteral("正在获取网络数据,请稍后……"));
    pictureBox_->setObjectName(QStringLiteral("图片框1"));
    pictureBox_->setGeometry(96, 51, 88, 79);
    pictureBox_->setPixmap(StatusPicture(pictureBox_->size()));
}

void StatusWindowWidget::closeQuietly() {
    closingQuietly_ = true;
    close();
}

void StatusWindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!closingQuietly_ && onUserClose_) {
        onUserClose_();
    }
}

StatusWindow::StatusWindow(std::function<void()> onUserClose)
    : onUserClose_(std::move(onUserClose)) {}

StatusWindow::~StatusWindow() {
    delete widget_.data();
}

bool StatusWindow::Show(const QString& message) {
    if (widget_ != nullptr) {
        return false;
    }
    widget_ = new StatusWindowWidget(onUserClose_);
    widget_->show();
    widget_->messageLabel()->setText(message);
    QCoreApplication::processEvents();
    return true;
}

bool StatusWindow::Close() {
    if (widget_ == nullptr) {
        return false;
    }
    StatusWindowWidget* closing = widget_;
    widget_ = nullptr;
    closing->closeQuietly();
    return true;
}

} // namespace zorlith
