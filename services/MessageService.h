// The one way message boxes are shown: a Qt box interactively, scripted answers in tests, the
// program log and stderr in a command-line run.
#pragma once

#include <string>

// Message box styles and answers have the Windows values.
namespace MsgStyle {
inline constexpr long OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5;
inline constexpr long Critical = 16, Question = 32, Exclamation = 48, Information = 64;
inline constexpr long DefaultButton2 = 256, DefaultButton3 = 512;
inline constexpr long TaskModal = 0x2000;
} // namespace MsgStyle
namespace MsgAnswer {
inline constexpr int Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
} // namespace MsgAnswer

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows prompt in a box with the given style and title; returns the answer.
    virtual int Show(const std::string& prompt, long style, const std::string& title) = 0;

    // The service in place: the command-line one until a window layer or a test sets another.
    static MessageService& Get();
    // Puts a service in place (nullptr restores the command-line one). The caller keeps ownership.
    static void Set(MessageService* service);

    // The answer of the style's default button (what Enter would choose).
    static int DefaultAnswer(long style);
};
