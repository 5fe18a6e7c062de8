#pragma once

class QPrinter;

namespace vx {

// The program's printer: the printer set-up dialog changes it and reports print on it.
// Created on first use; lives until the program ends.
QPrinter &SharedPrinter();

} // namespace vx
