#pragma once

#include "ModuleExport.h"

#include <QString>
#include <QVariant>

// The module's entry points and the state it keeps between openings of the screen. The state lives
// from the loading of the module to its unloading; only the screen's own handlers and the entry
// points touch it, all on the user-interface thread.
namespace Cli_Ngc27451 {

class TfrmInfoPlanNeg;

// The screen created by the most recent opening; earlier instances stay alive, hidden, until the
// application ends.
NGC27451_EXPORT extern TfrmInfoPlanNeg *frmInfoPlanNeg;

// The discount-replication selections (JSON arrays of key strings, empty: nothing picked).
NGC27451_EXPORT extern QString stPesqProduto;
NGC27451_EXPORT extern QString stPesqMarca;
NGC27451_EXPORT extern QString stPesqRegiao;
NGC27451_EXPORT extern QString stPesqForn;

// The mode flag of the most recent opening (validity period editable and mandatory).
extern bool boValidade;
// The item's discount percentage before its current edit: written before the post, read after it.
extern double vrDescontoAnterior;

// Opens the screen for one item and returns when the buyer has closed it. The replication
// selections start empty at every opening, so a pick made for another item cannot reach this
// item's save unseen. Errors while creating or running the screen reach the caller.
NGC27451_EXPORT void CriaInfoPlanilha(bool boValidade, QString stCdFilial, QString stNrColePreco,
                                      QString stCdForneced, QString stCdProduto,
                                      QString stChaveMarca, QString stCdMarca, QString stCdRegiao,
                                      QString stChaveComplementar);

} // namespace Cli_Ngc27451

// The generic entry: a null variant does nothing; otherwise a list of nine elements, the mode flag
// (element 0) and the eight launch keys (1 to 8). A list of another length or an element that does
// not convert raises std::runtime_error.
extern "C" NGC27451_EXPORT void IniProc(const QVariant &params);
