#pragma once

#include "widgets/dialogs.h"

#include <deque>
#include <vector>

namespace orvital {

// Dialogs for tests: records every box and every file request, and answers the file dialogs
// from a queue. An empty queue answers as an operator who cancels.
class ScriptedDialogs final : public Dialogs {
public:
    enum class BoxKind { Error, Warning, Message };
    struct Box {
        BoxKind kind;
        QString text;
    };
    enum class FileKind { Open, Save };
    struct FileCall {
        FileKind kind;
        FileRequest request;
    };

    void showError(const QString& message) override { boxes.push_back({BoxKind::Error, message}); }
    void showWarning(const QString& message) override {
        boxes.push_back({BoxKind::Warning, message});
    }
    void showMessage(const QString& message) override {
        boxes.push_back({BoxKind::Message, message});
    }
    std::optional<QString> openFile(const FileRequest& request) override {
        return answer(FileKind::Open, request);
    }
    std::optional<QString> saveFile(const FileRequest& request) override {
        return answer(FileKind::Save, request);
    }

    // The next file dialog chooses this path; std::nullopt makes it cancel.
    void queueFileAnswer(std::optional<QString> answer) {
        fileAnswers.push_back(std::move(answer));
    }

    std::vector<Box> boxes;
    std::vector<FileCall> fileCalls;
    std::deque<std::optional<QString>> fileAnswers;

private:
    std::optional<QString> answer(FileKind kind, const FileRequest& request) {
        fileCalls.push_back({kind, request});
        if (fileAnswers.empty())
            return std::nullopt;
        std::optional<QString> next = std::move(fileAnswers.front());
        fileAnswers.pop_front();
        return next;
    }
};

} // namespace orvital
