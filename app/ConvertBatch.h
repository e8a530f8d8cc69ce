// A batch of `tovrane convert -o FOLDER INPUT...`: every conversion is a process of
// its own, up to N at a time, each converting one input exactly as it would alone.
#pragma once

#include "ConvertOptions.h"

#include <ostream>
#include <string>

// The folder the request's output would go into when it does not exist, otherwise
// empty: checked before anything is converted.
std::string MissingOutputFolder(const ConvertRequest& request);

// How many conversions run at a time: -j N, or one per processor we may use.
int BatchProcesses(const ConvertRequest& request);

// Runs each job as `program convert -o FOLDER [shared options] -- INPUT`, at most
// BatchProcesses at a time, and prints each one's output as a block when it ends.
// Needs a QCoreApplication. Returns 0 when every job was saved, otherwise 1.
int RunConvertBatch(const ConvertRequest& request, const std::string& program, std::ostream& err);
