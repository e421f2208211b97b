#pragma once

#include "runtime/Controls.h"
#include "runtime/Form.h"
#include "runtime/core/Failure.h"

#include <cstdint>
#include <functional>
#include <map>

namespace tolvar::rt {

// A control array: elements of one kind under one name, addressed by index from 0. Element 0
// exists from the design; further elements can be loaded at run time and then take element
// 0's design properties but start invisible. Each element's Click reaches one handler with
// the element's index.
template <class ControlType> class ControlArray {
public:
    ControlArray(Form* form, QString name) : form_(form), name_(std::move(name)) {}

    // Creates an element as the design lays it out.
    ControlType* design(int index) {
        ControlType* element = create(index);
        reportClicks(element, index);
        return element;
    }

    // Loads an element at run time as a copy of element 0's design, invisible.
    ControlType* load(int index) {
        const ControlType& model = (*this)[0];
        ControlType* element = create(index);
        element->copyDesignFrom(model);
        element->setVisible(false);
        // Copying a check box's value is no click by anyone; the handler hears from the
        // element only once it is loaded.
        reportClicks(element, index);
        return element;
    }

    // Takes an element away; reaching it afterwards fails as for any missing element.
    void unload(int index) {
        delete &(*this)[index];
        elements_.erase(index);
    }

    ControlType& operator[](int index) const {
        const auto found = elements_.find(index);
        if (found == elements_.end()) {
            raise(desc::ControlArrayElementMissing);
        }
        return *found->second;
    }

    int lbound() const { return elements_.empty() ? 0 : elements_.begin()->first; }
    int ubound() const { return elements_.empty() ? -1 : elements_.rbegin()->first; }

    void onClick(std::function<void(std::int16_t)> handler) { handler_ = std::move(handler); }

private:
    ControlType* create(int index) {
        if (elements_.count(index) != 0) {
            raise(desc::ControlArrayElementExists);
        }
        auto* element = new ControlType(form_, name_, index);
        elements_[index] = element;
        return element;
    }

    void reportClicks(ControlType* element, int index) {
        QObject::connect(element, &Control::Click, form_, [this, index] { clicked(index); });
    }

    void clicked(int index) {
        if (handler_) {
            handler_(static_cast<std::int16_t>(index));
        }
    }

    Form* form_;
    QString name_;
    std::map<int, ControlType*> elements_;
    std::function<void(std::int16_t)> handler_;
};

} // namespace tolvar::rt
