// Everything a window is written with.
#pragma once

#include <zeph/forms/Application.h>
#include <zeph/forms/Button.h>
#include <zeph/forms/ComboBox.h>
#include <zeph/forms/Component.h>
#include <zeph/forms/Control.h>
#include <zeph/forms/DateTimePicker.h>
#include <zeph/forms/Dialogs.h>
#include <zeph/forms/Edit.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/Label.h>
#include <zeph/forms/ListBox.h>
#include <zeph/forms/ListView.h>
#include <zeph/forms/PageControl.h>
#include <zeph/forms/ProgressBar.h>
#include <zeph/forms/TreeView.h>
