#include "MessageBox_Helper_ScrollBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>

namespace {

// The width a box gives its text: what a message box would, within the screen.
constexpr int TextWidth = 520;

QRect availableFor(const QWidget* parent)
{
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

void setText(QTextDocument& document, const QString& text)
{
    if (Qt::mightBeRichText(text))
        document.setHtml(text);
    else
        document.setPlainText(text);
}

QStyle::StandardPixmap iconPixmap(QMessageBox::Icon icon)
{
    switch (icon) {
    case QMessageBox::Information:
        return QStyle::SP_MessageBoxInformation;
    case QMessageBox::Warning:
        return QStyle::SP_MessageBoxWarning;
    case QMessageBox::Critical:
        return QStyle::SP_MessageBoxCritical;
    case QMessageBox::Question:
        return QStyle::SP_MessageBoxQuestion;
    case QMessageBox::NoIcon:
        break;
    }
    return QStyle::SP_CustomBase;
}

QMessageBox::StandardButton escapeAnswer(QMessageBox::StandardButtons buttons)
{
    for (QMessageBox::StandardButton button : {QMessageBox::Cancel, QMessageBox::No}) {
        if (buttons.testFlag(button))
            return button;
    }
    MessageBox_Helper::Request only;
    only.buttons = buttons;
    return MessageBox_Helper::defaultAnswer(only);
}

} // namespace

bool MessageBox_Helper_ScrollBox::needed(const MessageBox_Helper::Request& request)
{
    QTextDocument document;
    document.setDefaultFont(QApplication::font("QMessageBoxLabel"));
    setText(document, request.text);
    document.setTextWidth(TextWidth);
    return document.size().height() > availableFor(request.parent).height() / 2;
}

MessageBox_Helper_ScrollBox::MessageBox_Helper_ScrollBox(const MessageBox_Helper::Request& request)
    : QDialog(request.parent)
    , m_escape(escapeAnswer(request.buttons))
{
    setWindowTitle(request.title);
    auto* layout = new QGridLayout(this);

    if (request.icon != QMessageBox::NoIcon) {
        auto* icon = new QLabel(this);
        const int extent = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon->setPixmap(style()->standardIcon(iconPixmap(request.icon), nullptr, this).pixmap(extent, extent));
        layout->addWidget(icon, 0, 0, Qt::AlignTop);
    }
    m_text = new QTextBrowser(this);
    m_text->setOpenExternalLinks(true);
    m_text->setFrameShape(QFrame::NoFrame);
    setText(*m_text->document(), request.text);
    // Filling the document leaves the text cursor behind the text, and the view follows the
    // cursor when it is shown: it would open at the end.
    m_text->moveCursor(QTextCursor::Start);
    layout->addWidget(m_text, 0, 1);
    if (!request.informativeText.isEmpty())
        layout->addWidget(new QLabel(request.informativeText, this), 1, 1);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::StandardButtons(int(request.buttons)), this);
    for (auto it = request.buttonTexts.cbegin(); it != request.buttonTexts.cend(); ++it) {
        if (QAbstractButton* button = m_buttons->button(QDialogButtonBox::StandardButton(int(it.key()))))
            button->setText(it.value());
    }
    const QMessageBox::StandardButton answer = MessageBox_Helper::defaultAnswer(request);
    if (QPushButton* button = m_buttons->button(QDialogButtonBox::StandardButton(int(answer)))) {
        button->setDefault(true);
        button->setFocus();
    }
    connect(m_buttons, &QDialogButtonBox::clicked, this,
            [this](QAbstractButton* button) { done(int(m_buttons->standardButton(button))); });
    layout->addWidget(m_buttons, 2, 0, 1, 2);

    // As large as the text wants, within two thirds of the screen; the rest scrolls.
    const QRect available = availableFor(request.parent);
    m_text->document()->setTextWidth(TextWidth);
    const QSize wanted(TextWidth + 2 * m_text->document()->documentMargin(),
                       int(m_text->document()->size().height()) + 2);
    m_text->setMinimumSize(wanted.boundedTo(available.size() / 3));
    resize(sizeHint().expandedTo(wanted + QSize(100, 80)).boundedTo(available.size() * 2 / 3));
}

void MessageBox_Helper_ScrollBox::reject()
{
    done(int(m_escape));
}
