// Fuzz target: a merge file (vCard) read from disk through the outside-file
// reader; every record's values are filled into a text with fields, the
// personal-information names and the record as a vCard. Reading may fail
// with EMergeSourceError or EFOpenError; nothing may crash, hang or leak.
#include "FuzzFiles.h"

#include "platform/Errors.h"
#include "platform/MergeSource.h"
#include "surface/MergeFields.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzz::writeInput(QStringLiteral("input.vcf"), data, size);
    try {
        const bv::TMergeTable table = bv::ReadMergeFile(path);
        const QString text = QStringLiteral("{Name} {{x}} {Phone1} {ADR.Street} {TEL;TYPE=WORK} {vCard} {Email}");
        for (int r = 0; r < table.RecordCount() && r < 64; ++r) {
            (void)bv::FillMergeFields(text, table, r);
            (void)bv::MergeRecordCaption(table, r);
            for (const QString& field : table.Fields())
                (void)bv::MergeFieldValue(table, r, field);
        }
        for (const QString& field : bv::MergeFieldsIn(text))
            (void)bv::MergeFieldKnown(table, field);
    } catch (const bv::Exception&) {
        // A refused file: its message names the line.
    }
    return 0;
}
