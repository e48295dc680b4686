NewLine=-1
Annotation=-1
DataElementSeparator=plain text
  SegmentTerminator  =   "~"  

