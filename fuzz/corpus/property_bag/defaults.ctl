DataElementSeparator="*"
SubelementSeparator=":"
SegmentTerminator="~"
NewLine=0
Annotation=False
FileName=""
