#pragma once
// Dither parameter files ("Ditherparams.xml" and the files it names): weights
// per ink and step, anti-clog and noise level for a printer setup and a
// number of output levels.
#include "AString.h"

class PrinterSetup;
struct DitherTable;

// Always 1; `path` receives the dither parameter file to read for the model.
int FindDitherParamsFile(const char* modelName, const char* manufacturerName, AString& path);
// Reads the weights, anti-clog and noise level for the table's level count and
// ink count; 1 when every part was read, 0 otherwise (the table keeps what was not written).
int LoadDitherParams(AString path, const PrinterSetup* setup, DitherTable* table);
