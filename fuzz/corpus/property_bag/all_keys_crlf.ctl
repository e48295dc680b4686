# saved control
DataElementSeparator="|"
SubelementSeparator="^"
SegmentTerminator="\n"
NewLine=2
Annotation=True
FileName="/tmp/claims \"today\".837"
