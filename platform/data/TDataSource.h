#pragma once

#include "TClientDataSet.h"

#include <functional>
#include <vector>

namespace ngc {

class TDataSource;

// What a control bound to a data source implements to hear from it (one link per control).
class DataLink {
public:
    virtual ~DataLink() = default;
    // The dataset's state changed (inactive, browse, edit, insert).
    virtual void stateChanged() {}
    // A field of the current record changed (field set), or the whole current record must be
    // shown again: scrolled, posted, cancelled, data replaced (field null).
    virtual void dataChanged(TField *field) { (void)field; }
    // The dataset is about to post: write any pending text into the field now. May throw.
    virtual void updateData() {}
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

    void addLink(DataLink *link);
    void removeLink(DataLink *link);

    // Called by the dataset.
    void notifyStateChanged();
    void notifyDataChanged(TField *field);
    void notifyUpdateData();

private:
    QString m_name;
    TClientDataSet *m_dataSet = nullptr;
    std::vector<DataLink *> m_links;
};

} // namespace ngc
