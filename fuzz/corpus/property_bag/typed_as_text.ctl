NewLine="2"
Annotation="yes"
