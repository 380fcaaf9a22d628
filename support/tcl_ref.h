// Scoped ownership of Tcl object references.
#pragma once

#include <tcl.h>

namespace support {

// Holds one reference to a Tcl object and drops it at scope exit.
class TclRef {
public:
    // Takes a new reference to obj.
    explicit TclRef(Tcl_Obj* obj) : obj_(obj) { Tcl_IncrRefCount(obj_); }

    TclRef(TclRef&& other) noexcept : obj_(other.obj_) { other.obj_ = nullptr; }
    TclRef(const TclRef&) = delete;
    TclRef& operator=(const TclRef&) = delete;
    TclRef& operator=(TclRef&&) = delete;
    ~TclRef() {
        if (obj_ != nullptr) Tcl_DecrRefCount(obj_);
    }

    Tcl_Obj* get() const { return obj_; }

private:
    Tcl_Obj* obj_;
};

}  // namespace support
