# A vireo control saved by its container: the six persisted settings.
# Open it on the property page with:  vireo properties examples/saved-control.ctl
DataElementSeparator="|"
SubelementSeparator="^"
SegmentTerminator="!"
NewLine=2
Annotation=True
FileName="out/claims-837.txt"
