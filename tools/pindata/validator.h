// Checks a pin file against everything the module relies on:
//
//   geometry   every pin is a ball of the package's grid, each ball once, all balls present
//   order      pins sorted by PinNumber in code-unit order ("A10" before "A2")
//   counts     PinCount, IOCount, DiffCount and HSpeedDiffCount of the device package table
//   pair       a DiffId names exactly one positive and one negative pin of the same kind
//              (DIFFP/DIFFN or HDIFFP/HDIFFN); a ClkDiffId one CLKDIFFP and one CLKDIFFN pin;
//              both pins of a pair are in the same bank
//   tap        the five TAP balls of the package (tools/bsdl_synth/records.h) are no I/O
//              pins: no IO or pair flag, no pair id, no bank
//   dci        no pin has a DCI flag
//   bank       no bank in the EP4SE, EP4S40G and EP4S100G sets
//   standards  the union of the pins' standards equals the set's standards
//   example    the published example pins of EP4SGX70DF29
//   board      every ball a known board project assigns is there: a user I/O pin, or a
//              high-speed differential pin where the project gives it a transceiver standard
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "devicedata/device_tables.h"
#include "tools/pindata/pin_file.h"

namespace s4::pindata {

// One pin location of a board project (.qsf): ball and I/O standard (empty when none).
struct BoardPin {
  std::string Ball;
  std::string Standard;
  std::string Signal;
};
struct BoardAssignments {
  std::string Source;  // file name
  std::string Device;  // e.g. "EP4SGX230KF40C2"
  std::vector<BoardPin> Pins;
};

// Reads the DEVICE and the pin locations and I/O standards of a .qsf project text. Location
// targets that are not ball names (templates such as "PIN_PIN") are skipped.
BoardAssignments ParseBoardAssignments(std::string_view text, const std::string& source);

// The device package a board's device belongs to, if it is one of this family.
std::optional<TDevicePackage> BoardDevicePackage(const BoardAssignments& board);

// True when the standard given on a board needs a transceiver (high-speed) pin.
bool IsTransceiverStandard(std::string_view standard);

// The device package named by a pin file's "pin-set" header, if any.
std::optional<TDevicePackage> DevicePackageByName(std::string_view name);

// Checks one parsed file; boards whose device is not the file's set are ignored.
std::vector<Diagnostic> Validate(const PinFile& file, const std::string& fileName,
                                 const std::vector<BoardAssignments>& boards = {});

}  // namespace s4::pindata
