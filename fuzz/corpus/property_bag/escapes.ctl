; escapes
DataElementSeparator="\x1D"
SubelementSeparator="\0"
SegmentTerminator="\t"
FileName="\\server\\share"
