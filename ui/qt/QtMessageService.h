// Message boxes as Qt boxes, with the Windows styles and answers.
#pragma once

#include "services/MessageService.h"

#include <QMessageBox>
#include <memory>

class QtMessageService : public MessageService {
public:
    // Shows the box modally and waits for the user's answer.
    int Show(const std::string& prompt, long style, const std::string& title) override;

    // The box for a style: buttons, icon, default and escape button, modality.
    static std::unique_ptr<QMessageBox> Build(const std::string& prompt, long style, const std::string& title);
    // The Windows answer of a clicked standard button.
    static int AnswerOf(QMessageBox::StandardButton button);
};
