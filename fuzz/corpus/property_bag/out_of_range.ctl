NewLine=99999999999
FileName=
