#pragma once

#include <data/TDataSource.h>

#include <QString>

#include <functional>

namespace ngc {

class TClientDataSet;
class TField;

// The link of one bound control to a field of a data source: it finds the field on the dataset
// the source currently points at (the source may be switched), tells the control when to show
// the field again and when to write its pending text, and starts the edit a user's typing asks
// for.
class FieldLink final : public DataLink {
public:
    // show: the control shows the field again (its value or state changed).
    // write: the control writes its pending text into the field; may throw.
    FieldLink(std::function<void()> show, std::function<void()> write);
    ~FieldLink() override;
    FieldLink(const FieldLink &) = delete;
    FieldLink &operator=(const FieldLink &) = delete;

    TDataSource *DataSource() const { return linkedSource(); }
    void SetDataSource(TDataSource *source);
    QString DataField() const { return m_fieldName; }
    void SetDataField(const QString &fieldName);

    TClientDataSet *DataSet() const;
    // The bound field on an active dataset, or nullptr.
    TField *Field() const;
    // Edit or insert state.
    bool Editing() const;

    // Puts a browsing dataset into edit state through its before-edit event, whose refusal
    // (SilentAbort) reaches the caller. Returns whether the field may now be written: false
    // without a field.
    bool Edit();

    // While a control writes its field, changes of that field do not call show.
    class WriteScope {
    public:
        explicit WriteScope(FieldLink &link) : m_link(link), m_was(link.m_writing)
        {
            link.m_writing = true;
        }
        ~WriteScope() { m_link.m_writing = m_was; }
        WriteScope(const WriteScope &) = delete;
        WriteScope &operator=(const WriteScope &) = delete;

    private:
        FieldLink &m_link;
        bool m_was;
    };

    void stateChanged() override;
    void dataChanged(TField *field) override;
    void updateData() override;

private:
    QString m_fieldName;
    std::function<void()> m_show;
    std::function<void()> m_write;
    bool m_writing = false;
};

// Whether a character typed into a control may become part of the field's text: a mask of digit
// positions takes digits only, a number field only what a number is written with.
bool FieldAcceptsChar(const TField &field, QChar ch);

} // namespace ngc
