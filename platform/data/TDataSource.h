#pragma once

#include "TClientDataSet.h"

#include <functional>
#include <vector>

namespace ngc {

class TDataSource;

// What a control bound to a data source implements to hear from it (one link per control).
//
// A link knows the data source it is registered with, and each side unregisters itself when
// destroyed, so controls and data sources may be destroyed in any order.
class DataLink {
public:
    DataLink() = default;
    DataLink(const DataLink &) = delete;
    DataLink &operator=(const DataLink &) = delete;
    virtual ~DataLink();
    // The data source this link is registered with; null once it is removed or destroyed.
    TDataSource *linkedSource() const { return m_source; }
    // Registers with another source (nullptr: with none); false when it already was with it.
    bool relinkTo(TDataSource *source);
    // The dataset's state changed (inactive, browse, edit, insert).
    virtual void stateChanged() {}
    // A field of the current record changed (field set), or the whole current record must be
    // shown again: scrolled, posted, cancelled, data replaced (field null).
    virtual void dataChanged(TField *field) { (void)field; }
    // The dataset is about to post: write any pending text into the field now. May throw.
    virtual void updateData() {}

private:
    friend class TDataSource;
    TDataSource *m_source = nullptr;
};

// Binds controls to a dataset and tells every bound control about state and data changes. The
// dataset may be switched at run time; the links then show the new dataset.
class TDataSource final {
public:
    explicit TDataSource(QString name = {}, TClientDataSet *dataSet = nullptr);
    ~TDataSource();
    TDataSource(const TDataSource &) = delete;
    TDataSource &operator=(const TDataSource &) = delete;

    QString Name() const { return m_name; }
    TClientDataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(TClientDataSet *dataSet);
    DataSetState State() const; // Inactive without a dataset

    // Plain callbacks for the screen's handlers.
    std::function<void(TDataSource &)> OnStateChange;
    std::function<void(TDataSource &, TField *)> OnDataChange;

    // A link is registered with one data source at a time: adding it here removes it from the
    // source it had.
    void AddLink(DataLink *link);
    void RemoveLink(DataLink *link);

    // Called by the dataset.
    void NotifyStateChanged();
    void NotifyDataChanged(TField *field);
    void NotifyUpdateData();

private:
    QString m_name;
    TClientDataSet *m_dataSet = nullptr;
    std::vector<DataLink *> m_links;
};

} // namespace ngc
