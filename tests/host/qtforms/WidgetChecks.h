// Reads what the widgets of a window show, through Qt's own getters, and compares it with the
// window's controls.
#pragma once

#include <zeph/forms/Form.h>
#include <zeph/qtforms/QtBackend.h>

#include <string>
#include <vector>

namespace zeph::qtforms::testing {

// One line per difference (UTF-8): "edtName: text \"x\" shows \"y\"".
std::vector<std::string> Mismatches(const QtBackend& backend, zeph::forms::Form& form);

// The number of controls of the window, at any depth, that were compared.
int ControlCount(const zeph::forms::Form& form);

} // namespace zeph::qtforms::testing
