DataElementSeparator="*
NewLine
=x
