#pragma once
// Screening parameter files ("ScreeningParams.xml" and the files it names):
// dot shape, frequency and angle per colorant for a printer setup.
#include "AString.h"
#include "HalftoneParamsFile.h"

class PrinterSetup;
struct ScreenTable;

// Always 1; `path` receives the screening parameter file to read for the model.
int FindScreeningParamsFile(const char* modelName, const char* manufacturerName, AString& path);
// Overwrites the table's entries from the setup's branch of the file; 1 when the
// branch was found, 0 otherwise (a message names the missing level, table untouched).
int LoadScreeningParams(AString path, const PrinterSetup* setup, ScreenTable* table);
