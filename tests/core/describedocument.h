#pragma once

#include "kvmemini.h"

#include <QStringList>

// A compact picture of a document for comparisons in tests: sections as
// {name;comment} followed by their entries as kind:name=value;comment,
// sections separated by " | ".
inline QString Describe(const TKvMemIni &ini)
{
    QStringList sections;
    for (const TKvIniSection *section : ini.Sections) {
        QString text = u'{' + section->Name + u';' + section->Comment + u'}';
        for (const TKvIniVal *val : section->Vals) {
            text += QStringLiteral(" %1:%2=%3;%4")
                        .arg(int(val->Kind()))
                        .arg(val->Name(), val->Value(), val->Comment());
        }
        sections << text;
    }
    return sections.join(u" | ");
}
