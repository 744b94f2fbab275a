#pragma once
// The persistent base: objects the streamer can write and read through
// their class information. Items, string lists, fonts and pictures are
// persistent.

#include "classinfo.h"

namespace mx {

class TPersistent {
public:
    virtual ~TPersistent() = default;
    static const ClassInfo& staticClass();
    virtual const ClassInfo* classInfo() const { return &staticClass(); }
    QString className() const { return classInfo()->name; }
    bool inheritsFrom(const ClassInfo& c) const { return classInfo()->inheritsFrom(&c); }

    // Copies Source into this object; the default asks Source to assign
    // itself to this one.
    virtual void Assign(const TPersistent* source);
    // Default: conversion error "Cannot assign a X to a Y".
    virtual void AssignTo(TPersistent* dest) const;
    // Declares the custom (non-published) values written by the streamer.
    virtual void DefineProperties(TFiler& filer);
};

} // namespace mx
