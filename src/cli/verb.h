// The verbs of the vro command. Each verb lives in a verb_*.cpp that
// exports its entry function; the one table in main.cpp lists them, and
// main() picks the longest verb name that the command line starts with
// ("device identify" before "device").
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vro::cli {

// A usage fault: printed with the verb's usage line, exit status 2.
class EUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The words after the verb name. Options are "--name value" or "--name=value";
// flags are "--name". Everything else is positional, in order.
class TArgs {
public:
    explicit TArgs(std::vector<std::string> words) : words_(std::move(words)) {}

    // True (and consumed) when the flag is present.
    bool Flag(const std::string& name);
    // The option's value (consumed), or empty when absent.
    std::optional<std::string> Option(const std::string& name);
    // Every value of an option that may repeat (--set K=V --set K2=V2).
    std::vector<std::string> Options(const std::string& name);
    long long IntOption(const std::string& name, long long def, long long lo, long long hi);
    // Positional words left after all options were taken.
    std::vector<std::string> Positionals() const;
    // The one positional at index i, or a usage fault naming `what`.
    std::string Positional(std::size_t i, const std::string& what) const;
    // Raises a usage fault when an option or flag was not consumed.
    void CheckAllUsed(std::size_t maxPositionals) const;

private:
    std::vector<std::string> words_;
    std::vector<bool> used_ = std::vector<bool>(words_.size(), false);
};

// The --language option: "de", "en" (the default) or "fr"; also selects
// that text table.
std::string LanguageCodeOption(TArgs& args);

struct TVerb {
    std::string name;    // "info", "device identify"
    std::string usage;   // "info FILE [--json] [--values]"
    std::string summary; // one line for the help text
    std::function<int(TArgs&)> run;
};

// The table of every verb (src/cli/main.cpp).
const std::vector<TVerb>& Verbs();

// The verbs' entry functions, by the file that holds them.
// verb_calc.cpp
int VerbCalc(TArgs& args);
int VerbFilter(TArgs& args);

// verb_convert.cpp
int VerbConvert(TArgs& args);

// verb_device.cpp
int VerbDeviceIdentify(TArgs& args);
int VerbDeviceChannels(TArgs& args);
int VerbDeviceValues(TArgs& args);
int VerbDeviceList(TArgs& args);
int VerbDeviceReadHeader(TArgs& args);

// verb_download.cpp
int VerbDeviceDownload(TArgs& args);

// verb_online.cpp
int VerbDeviceOnline(TArgs& args);

// verb_edit.cpp
int VerbDeviceEdit(TArgs& args);

// verb_export.cpp
int VerbExport(TArgs& args);

// verb_files.cpp
int VerbFolderList(TArgs& args);
int VerbDeviceCopy(TArgs& args);
int VerbDeviceStore(TArgs& args);
int VerbDeviceDelete(TArgs& args);

// verb_firmware.cpp
int VerbFirmwareMake(TArgs& args);
int VerbFirmwareInfo(TArgs& args);
int VerbDeviceFirmwareVersions(TArgs& args);
int VerbDeviceFirmwareRead(TArgs& args);
int VerbDeviceFirmwareUpdate(TArgs& args);
int VerbDeviceFirmwareVerify(TArgs& args);

// verb_generate.cpp
int VerbGenerate(TArgs& args);

// verb_import.cpp
int VerbImport(TArgs& args);

// verb_info.cpp
int VerbInfo(TArgs& args);

// verb_merge.cpp
int VerbMerge(TArgs& args);

// verb_options.cpp
int VerbOptions(TArgs& args);

// verb_properties.cpp
int VerbProperties(TArgs& args);

// verb_record.cpp
int VerbDeviceRecordCheck(TArgs& args);
int VerbDeviceRecordStart(TArgs& args);
int VerbDeviceRecordState(TArgs& args);
int VerbDeviceRecordStop(TArgs& args);
int VerbDeviceRecordDownload(TArgs& args);

// verb_remarks.cpp
int VerbRemarksList(TArgs& args);
int VerbRemarksAdd(TArgs& args);
int VerbRemarksEdit(TArgs& args);
int VerbRemarksDelete(TArgs& args);
int VerbRemarksMove(TArgs& args);
int VerbRemarksReanchor(TArgs& args);

// verb_setup.cpp
int VerbSetupShow(TArgs& args);
int VerbDeviceSetupGet(TArgs& args);
int VerbDeviceSetupPut(TArgs& args);
int VerbDeviceSetups(TArgs& args);

// verb_setupsummary.cpp
int VerbSetupSummary(TArgs& args);
int VerbDeviceSetupSummary(TArgs& args);
int VerbDeviceSetupSave(TArgs& args);
int VerbDeviceSetupLoad(TArgs& args);

// verb_sevenseg.cpp
int VerbSevenseg(TArgs& args);

// verb_simulate.cpp
int VerbSimulate(TArgs& args);

// verb_template.cpp
int VerbTemplate(TArgs& args);

// verb_texts.cpp
int VerbTexts(TArgs& args);
// The usage line of `vro simulate`, which lists the simulator's options.
std::string SimulateUsage();

} // namespace vro::cli
