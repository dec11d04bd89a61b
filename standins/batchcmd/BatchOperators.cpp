// Splitting batch lines at cmd's command operators.
#include "standins/batchcmd/BatchOperators.h"

#include "platform/TextUtil.h"

namespace {

bool isBlankChar(char c) { return c == ' ' || c == '\t'; }

// The command word at the start of a command text: blanks and "@" skipped, up to the first
// character that ends a word for cmd.
std::string firstWord(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (isBlankChar(text[i]) || text[i] == '@'))
        ++i;
    size_t end = i;
    while (end < text.size() && std::string(" \t(/\"=,;:").find(text[end]) == std::string::npos)
        ++end;
    return text.substr(i, end - i);
}

bool isBlankText(const std::string& text)
{
    for (char c : text)
        if (!isBlankChar(c) && c != '@')
            return false;
    return true;
}

class Splitter {
public:
    explicit Splitter(const std::string& line) : line_(line) {}

    SplitBatchLine run()
    {
        for (size_t i = 0; i < line_.size() && result_.refused.empty(); ++i) {
            const char c = line_[i];
            if (isBlankText(current_) && !quoted_) {
                if (c == '(') {
                    result_.refused = "(";
                    break;
                }
                if (startsComment(i)) {
                    current_ += line_.substr(i);
                    break;
                }
            }
            if (c == '"') {
                quoted_ = !quoted_;
                current_ += c;
            } else if (quoted_) {
                current_ += c;
            } else if (c == '^') {
                // The escape stays in the text; ParseBatchLine takes the next character as plain.
                current_ += c;
                if (i + 1 < line_.size())
                    current_ += line_[++i];
            } else if (c == '&' && !current_.empty() && (current_.back() == '>' || current_.back() == '<')) {
                current_ += c; // "2>&1"
            } else if (c == '&') {
                const bool twice = i + 1 < line_.size() && line_[i + 1] == '&';
                endStep(twice ? "&&" : "&", twice ? StepJoint::OnSuccess : StepJoint::Always);
                i += twice ? 1 : 0;
            } else if (c == '|') {
                const bool twice = i + 1 < line_.size() && line_[i + 1] == '|';
                if (twice) {
                    endStep("||", StepJoint::OnFailure);
                    ++i;
                } else {
                    endCommand("|");
                }
            } else {
                current_ += c;
            }
        }
        if (result_.refused.empty())
            finish();
        return result_;
    }

private:
    // "rem" as a command word makes the rest of the line a comment, operators included.
    bool startsComment(size_t i) const
    {
        return EqualsNoCase(firstWord(line_.substr(i)), "rem") && isBlankText(current_);
    }

    void checkCommand(const std::string& op)
    {
        if (!result_.refused.empty())
            return;
        if (isBlankText(current_)) {
            result_.refused = op;
            return;
        }
        const std::string word = firstWord(current_);
        for (const char* unsupported : {"if", "for", "goto"})
            if (EqualsNoCase(word, unsupported))
                result_.refused = word;
        // "call :label" jumps within the batch as "goto" does.
        if (EqualsNoCase(word, "call")) {
            const size_t start = current_.find_first_not_of(" \t@");
            const size_t arg = current_.find_first_not_of(" \t", start + word.size());
            if (arg != std::string::npos && current_[arg] == ':')
                result_.refused = "call :label";
        }
    }

    void endCommand(const std::string& op)
    {
        checkCommand(op);
        step_.pipeline.push_back(current_);
        current_.clear();
    }

    void endStep(const std::string& op, StepJoint next)
    {
        endCommand(op);
        result_.steps.push_back(step_);
        step_ = LineStep{};
        step_.joint = next;
    }

    void finish()
    {
        const bool alone = result_.steps.empty() && step_.pipeline.empty();
        if (!alone && step_.pipeline.empty() && step_.joint == StepJoint::Always && isBlankText(current_))
            return; // cmd lets a line end with "&"
        if (alone && isBlankText(current_)) {
            // An empty line, or one of redirections alone, runs as it stands.
            step_.pipeline.push_back(current_);
            result_.steps.push_back(step_);
            return;
        }
        const std::string op = step_.pipeline.empty()
                                   ? (step_.joint == StepJoint::OnSuccess   ? "&&"
                                      : step_.joint == StepJoint::OnFailure ? "||"
                                                                            : "&")
                                   : "|";
        endCommand(op);
        result_.steps.push_back(step_);
    }

    const std::string& line_;
    SplitBatchLine result_;
    LineStep step_;
    std::string current_;
    bool quoted_ = false;
};

} // namespace

SplitBatchLine SplitOperators(const std::string& line) { return Splitter(line).run(); }
