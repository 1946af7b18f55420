// The plug-in's hidden main window: it owns the host client component through which every
// request arrives, and the dispatcher that runs each interface word. What a subsystem needs on
// the window is a part of its own (core/MainWindowPart.h), added by the edition.
#pragma once

#include "core/MainWindowPart.h"
#include "core/WordTable.h"

#include <zeph/client/TZephClient.h>
#include <zeph/client/Variant.h>
#include <zeph/dataset/TClientDataSet.h>
#include <zeph/forms/Form.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvane {

class TInterFacefrmMain : public zeph::forms::Form {
public:
    // The edition's tables live as long as the library.
    TInterFacefrmMain(zeph::forms::Component* owner, const EditionTables& edition);
    ~TInterFacefrmMain() override;

    zeph::TZephClient ZephClient{this, "ZephClient"};
    // The staff table that the bulletin window and the recording rights share.
    zeph::dataset::TClientDataSet cdsStaff{this, "cdsStaff"};

    // The request handler bound to ZephClient.OnCalled.
    void ZephClientCalled(zeph::forms::Component* sender, int further, const zeph::Variant& Input,
                          zeph::Variant& Output);
    void FormClose(zeph::forms::Form& sender, zeph::forms::CloseAction& action);

    // The owner handle this window passes to its message boxes.
    zeph::forms::WindowHandle OwnerHandle() { return Handle(); }

    // Takes a subsystem's part; it is freed with the window, after the window's own handlers.
    void AddPart(std::unique_ptr<TMainWindowPart> part);
    // The part of type T. An edition that lacks it has no word that asks for it.
    template <typename T>
    T& Part() const {
        for (const auto& part : parts_) {
            if (auto* found = dynamic_cast<T*>(part.get())) {
                return *found;
            }
        }
        throw std::logic_error("the main window has no such part in this edition");
    }

private:
    void HandleNumericCode(int code, const zeph::Variant& Input, zeph::Variant& Output);

    const EditionTables& edition_;

    std::vector<std::unique_ptr<TMainWindowPart>> parts_; // last member: freed first
};

// Element i of Input as text: empty when Input is Null or Empty or has no element i.
std::string GetInputItem(const zeph::Variant& Input, int i);

} // namespace morvane
