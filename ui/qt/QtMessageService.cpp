// Qt message boxes for the message service.
#include "ui/qt/QtMessageService.h"

#include "ui/qt/QtText.h"

#include <QApplication>
#include <vector>

namespace {

using SB = QMessageBox::StandardButton;

std::vector<SB> buttonsOf(long style)
{
    switch (style & 0xF) {
    case MsgStyle::OkCancel: return {SB::Ok, SB::Cancel};
    case MsgStyle::AbortRetryIgnore: return {SB::Abort, SB::Retry, SB::Ignore};
    case MsgStyle::YesNoCancel: return {SB::Yes, SB::No, SB::Cancel};
    case MsgStyle::YesNo: return {SB::Yes, SB::No};
    case MsgStyle::RetryCancel: return {SB::Retry, SB::Cancel};
    default: return {SB::Ok};
    }
}

QMessageBox::Icon iconOf(long style)
{
    switch (style & 0xF0) {
    case MsgStyle::Critical: return QMessageBox::Critical;
    case MsgStyle::Question: return QMessageBox::Question;
    case MsgStyle::Exclamation: return QMessageBox::Warning;
    case MsgStyle::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

std::unique_ptr<QMessageBox> QtMessageService::Build(const std::string& prompt, long style, const std::string& title)
{
    auto box = std::make_unique<QMessageBox>(QApplication::activeWindow());
    box->setWindowTitle(ToQString(title));
    box->setText(ToQString(prompt));
    box->setIcon(iconOf(style));
    const std::vector<SB> buttons = buttonsOf(style);
    QMessageBox::StandardButtons set;
    for (SB b : buttons)
        set |= b;
    box->setStandardButtons(set);
    const size_t def = std::min(static_cast<size_t>((style & 0xF00) >> 8), buttons.size() - 1);
    box->setDefaultButton(buttons[def]);
    // Esc answers as Windows does: Cancel where there is one, OK on a lone OK, else nothing.
    if (set & SB::Cancel)
        box->setEscapeButton(SB::Cancel);
    else if (buttons.size() == 1)
        box->setEscapeButton(SB::Ok);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

int QtMessageService::AnswerOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case SB::Cancel: return MsgAnswer::Cancel;
    case SB::Abort: return MsgAnswer::Abort;
    case SB::Retry: return MsgAnswer::Retry;
    case SB::Ignore: return MsgAnswer::Ignore;
    case SB::Yes: return MsgAnswer::Yes;
    case SB::No: return MsgAnswer::No;
    default: return MsgAnswer::Ok;
    }
}

int QtMessageService::Show(const std::string& prompt, long style, const std::string& title)
{
    std::unique_ptr<QMessageBox> box = Build(prompt, style, title);
    box->exec();
    const SB clicked = box->standardButton(box->clickedButton());
    return clicked == SB::NoButton ? DefaultAnswer(style) : AnswerOf(clicked);
}
