#pragma once

#include <Cli_Ngc27451/screen/TfrmInfoPlanNeg.h>

#include <QString>

#include <stdexcept>
#include <string>

// The screen's parts as tests reach them, by the names they carry: a control, menu item or
// connection by its objectName, a dataset, data source or query by its name. A part the screen
// does not have throws, which fails the test that asked for it.
namespace screentest {

template <class T> T *component(const QObject &form, const char *name)
{
    T *found = form.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        throw std::logic_error(std::string("the screen has no component ") + name);
    return found;
}

inline ngc::TClientDataSet &dataSet(const Cli_Ngc27451::TfrmInfoPlanNeg &form, const char *name)
{
    if (ngc::TClientDataSet *found = form.findDataSet(QString::fromLatin1(name)))
        return *found;
    throw std::logic_error(std::string("the screen has no dataset ") + name);
}

inline ngc::TDataSource &dataSource(const Cli_Ngc27451::TfrmInfoPlanNeg &form, const char *name)
{
    if (ngc::TDataSource *found = form.findDataSource(QString::fromLatin1(name)))
        return *found;
    throw std::logic_error(std::string("the screen has no data source ") + name);
}

inline ngc::TADOIBQuery &query(const Cli_Ngc27451::TfrmInfoPlanNeg &form, const char *name)
{
    if (ngc::TADOIBQuery *found = form.findQuery(QString::fromLatin1(name)))
        return *found;
    throw std::logic_error(std::string("the screen has no query ") + name);
}

// The screen as its frame sees it. The frame's handlers (the toolbar commands, the state change of
// dtsPadrao, the close handler) are the frame's public interface and run the screen's overrides;
// tests use it where a table of cases reaches states in which the toolbar keeps a command
// disabled.
inline ngc::TfrmPadraoGrid &frame(Cli_Ngc27451::TfrmInfoPlanNeg &form)
{
    return form;
}

} // namespace screentest
