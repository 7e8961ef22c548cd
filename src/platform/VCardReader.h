#pragma once
// Contacts of a vCard file (versions 2.1, 3.0 and 4.0), any number per file.
// Folded lines are unfolded, backslash escapes resolved, quoted-printable
// values (2.1) decoded in their CHARSET. Each contact becomes one record with
// these fields, where it has the property:
//   FN, N.Family, N.Given, N.Additional, N.Prefix, N.Suffix,
//   ORG, ORG.Unit, TITLE, ROLE, URL, NOTE, EMAIL, TEL,
//   TEL;TYPE=X and EMAIL;TYPE=X for each type X the property carries
//   (WORK, HOME, CELL, FAX, VOICE ...), ADR.POBox, ADR.Extended,
//   ADR.Street, ADR.Locality, ADR.Region, ADR.PostalCode, ADR.Country (of
//   the preferred or work address, else the first), and any other plain
//   property by its name (BDAY, NICKNAME ...). FN falls back to the name
//   parts when a 2.1 card leaves it out.
#include "platform/MergeSource.h"

namespace bv {

TMergeTable ReadVCards(const QByteArray& bytes, const QString& name);

// The field name a design may write for a typed property, in one spelling:
// "tel;work" and "TEL;type=work" are both "TEL;TYPE=WORK".
QString NormalizeVCardFieldName(const QString& name);

} // namespace bv
