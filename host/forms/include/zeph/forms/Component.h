// Windows and controls are components: the base lives below the toolkit, so that non-visual
// components need not depend on the toolkit.
#pragma once

#include <zeph/component/Component.h>

namespace zeph::forms {

using zeph::component::Component;

} // namespace zeph::forms
