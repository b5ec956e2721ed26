#pragma once

#include <services/HostUi.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <variant>

namespace ngc {

// The host's user interface for tests and offscreen runs: records everything that would have been
// shown and answers from a queue of scripted answers. An empty queue answers like a user who
// closes every dialog (the first button, cancel), so an unattended run never waits. An answer of
// the wrong sort for the dialog asked stays queued and the default answers instead; tests check
// pendingAnswers() to see that their script was used up.
class ScriptedHostUi final : public HostUi {
public:
    struct Message {
        QString text;
        MsgKind kind = MsgKind::Information;
        MsgButtons buttons;
        MsgButton answer = MsgButton::Ok;
    };
    struct ProgressEvent {
        bool begin = true; // false: an end
        int kind = 0;
        QString text;
        bool shownAfter = false; // whether the window is up once the call returned
    };
    struct ListRequest {
        enum class Sort { Search, ChooseRow, MarkRows };
        Sort sort = Sort::Search;
        QString name;  // dataset or data source
        QString title; // chooseRow, markRows
        QString emptyText;
        QString keyField;
        bool flag = false;
        QString selectionIn;
        int rowCount = 0;
        bool accepted = false;
    };

    // echo: also print every message and error to stderr (offscreen runs).
    explicit ScriptedHostUi(bool echo = false);
    ScriptedHostUi(const ScriptedHostUi &) = delete;
    ScriptedHostUi &operator=(const ScriptedHostUi &) = delete;

    // The script.
    void answerButton(MsgButton button);
    void answerRow(int recNo); // search, chooseRow: make this record (1-based) current
    void answerCancel();       // search, chooseRow, markRows
    void answerSelection(const QString &selection); // markRows, the text as returned
    void answerMarks(const QStringList &keys);      // markRows, as the JSON of these keys
    int pendingAnswers() const { return static_cast<int>(m_answers.size()); }

    // What was shown.
    const QList<Message> &messages() const { return m_messages; }
    QStringList messageTexts() const;
    const QStringList &errors() const { return m_errors; }
    const QList<ProgressEvent> &progress() const { return m_progress; }
    bool progressShown() const { return m_depth > 0; }
    int progressDepth() const { return m_depth; }
    const QList<ListRequest> &lists() const { return m_lists; }
    void clear(); // forgets what was shown and the script

    MsgButton message(const QString &text, MsgKind kind, const MsgButtons &buttons) override;
    void unexpectedError(const QString &text) override;
    void beginProgress(QWidget *owner, int animationKind, const QString &text) override;
    void endProgress() override;
    bool search(TClientDataSet &dataSet) override;
    bool chooseRow(TDataSource &source, const QString &title, const QString &emptyText) override;
    bool markRows(TDataSource &source, const QString &keyField, const QString &title, bool flag,
                  QString &selection) override;

private:
    struct Row {
        int recNo;
    };
    struct Cancel {};
    struct Selection {
        QString text;
    };
    using Answer = std::variant<MsgButton, Row, Cancel, Selection>;

    template <class T> bool takeAnswer(T &out);
    bool takeRowOrCancel(int rowCount, int &recNo);

    bool m_echo;
    std::deque<Answer> m_answers;
    QList<Message> m_messages;
    QStringList m_errors;
    QList<ProgressEvent> m_progress;
    QList<ListRequest> m_lists;
    int m_depth = 0;
};

} // namespace ngc
