// The register initialisation table of a configuration record.
#pragma once

#include "hal/hcl_data.h"

// Writes the table's pairs in order through the public layer: FFFFh ends it, FFFCh to FFFEh wait
// their value in microseconds, other indices from FFF0h are passed over.
void WriteRegisterTable(const QvHclData& record);

// Every variant's initialise entry: asserts when the controller is not acquired, else writes the
// compiled-in record's table. 1 when it wrote it.
uint32_t InitialiseFromTable();
