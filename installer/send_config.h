// The installation's last step: the seed data. The form's PARAM rows, its two
// report registrations and its send configuration, replaced by the lines of
// tmp/env661.txt in the host folder.
#pragma once

#include <string>

namespace installer {

// writeParamRows, registerReports and loadSendConfiguration (which closes the
// database as it ends), then the box naming the seed rows the host's tables
// refused.
void loadSeedData();

// The two rows of reportes, each deleted and inserted again.
void registerReports();

// Replaces envio_t's rows of form 0661 by the lines of the send-configuration
// file, once the whole file has been read and checked; a missing or broken
// file leaves them as they were and ends the run with its box.
void loadSendConfiguration();

// True when envio_t holds a row of form 0661 for `tablaO`.
bool findSendConfig(const std::string& tablaO);

}  // namespace installer
