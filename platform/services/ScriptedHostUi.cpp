#include <services/ScriptedHostUi.h>

#include <services/HostServices.h>

#include <data/TClientDataSet.h>
#include <data/TDataSource.h>

#include <cstdio>

namespace ngc {

namespace {

const char *kindName(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Information:
        return "information";
    case MsgKind::Warning:
        return "warning";
    case MsgKind::Error:
        return "error";
    case MsgKind::Confirmation:
        return "confirmation";
    }
    return "message";
}

} // namespace

ScriptedHostUi::ScriptedHostUi(bool echo) : m_echo(echo) {}

void ScriptedHostUi::answerButton(MsgButton button)
{
    m_answers.emplace_back(button);
}

void ScriptedHostUi::answerRow(int recNo)
{
    m_answers.emplace_back(Row{recNo});
}

void ScriptedHostUi::answerCancel()
{
    m_answers.emplace_back(Cancel{});
}

void ScriptedHostUi::answerSelection(const QString &selection)
{
    m_answers.emplace_back(Selection{selection});
}

void ScriptedHostUi::answerMarks(const QStringList &keys)
{
    answerSelection(selectionFromKeys(keys));
}

QStringList ScriptedHostUi::messageTexts() const
{
    QStringList texts;
    for (const Message &message : m_messages)
        texts.append(message.text);
    return texts;
}

void ScriptedHostUi::clear()
{
    m_answers.clear();
    m_messages.clear();
    m_errors.clear();
    m_progress.clear();
    m_lists.clear();
}

template <class T> bool ScriptedHostUi::takeAnswer(T &out)
{
    if (m_answers.empty() || !std::holds_alternative<T>(m_answers.front()))
        return false;
    out = std::get<T>(m_answers.front());
    m_answers.pop_front();
    return true;
}

bool ScriptedHostUi::takeRowOrCancel(int rowCount, int &recNo)
{
    Row row{0};
    if (takeAnswer(row)) {
        recNo = row.recNo;
        return recNo >= 1 && recNo <= rowCount;
    }
    Cancel cancel;
    takeAnswer(cancel);
    return false;
}

MsgButton ScriptedHostUi::message(const QString &text, MsgKind kind, const MsgButtons &buttons)
{
    const MsgButtons offered = buttons.isEmpty() ? MsgButtons{MsgButton::Ok} : buttons;
    MsgButton answer = offered.first();
    if (!m_answers.empty() && std::holds_alternative<MsgButton>(m_answers.front()) &&
        offered.contains(std::get<MsgButton>(m_answers.front()))) {
        takeAnswer(answer);
    }
    m_messages.append({text, kind, offered, answer});
    if (m_echo)
        std::fprintf(stderr, "[%s] %s\n", kindName(kind), qUtf8Printable(text));
    return answer;
}

void ScriptedHostUi::unexpectedError(const QString &text)
{
    m_errors.append(text);
    if (m_echo)
        std::fprintf(stderr, "[unexpected error] %s\n", qUtf8Printable(text));
}

void ScriptedHostUi::beginProgress(QWidget * /*owner*/, int animationKind, const QString &text)
{
    ++m_depth;
    m_progress.append({true, animationKind, text, true});
}

void ScriptedHostUi::endProgress()
{
    if (m_depth > 0)
        --m_depth;
    m_progress.append({false, 0, QString(), m_depth > 0});
}

bool ScriptedHostUi::search(TClientDataSet &dataSet)
{
    ListRequest request;
    request.sort = ListRequest::Sort::Search;
    request.name = dataSet.Name();
    request.rowCount = dataSet.RecordCount();
    int recNo = 0;
    request.accepted = takeRowOrCancel(request.rowCount, recNo);
    if (request.accepted)
        dataSet.SetRecNo(recNo);
    m_lists.append(request);
    return request.accepted;
}

bool ScriptedHostUi::chooseRow(TDataSource &source, const QString &title, const QString &emptyText)
{
    ListRequest request;
    request.sort = ListRequest::Sort::ChooseRow;
    request.name = source.Name();
    request.title = title;
    request.emptyText = emptyText;
    TClientDataSet *dataSet = source.DataSet();
    request.rowCount = dataSet && dataSet->Active() ? dataSet->RecordCount() : 0;
    int recNo = 0;
    request.accepted = takeRowOrCancel(request.rowCount, recNo);
    if (request.accepted)
        dataSet->SetRecNo(recNo);
    m_lists.append(request);
    return request.accepted;
}

bool ScriptedHostUi::markRows(TDataSource &source, const QString &keyField, const QString &title,
                              bool flag, QString &selection)
{
    ListRequest request;
    request.sort = ListRequest::Sort::MarkRows;
    request.name = source.Name();
    request.title = title;
    request.keyField = keyField;
    request.flag = flag;
    request.selectionIn = selection;
    TClientDataSet *dataSet = source.DataSet();
    request.rowCount = dataSet && dataSet->Active() ? dataSet->RecordCount() : 0;
    Selection answer;
    if (takeAnswer(answer)) {
        selection = answer.text;
        request.accepted = true;
    } else {
        Cancel cancel;
        takeAnswer(cancel);
    }
    m_lists.append(request);
    return request.accepted;
}

} // namespace ngc
