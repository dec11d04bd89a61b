; read_linkage.ma: MDL application of the MicroStation stand-in (ustation.exe).
; Loaded with "ustation.exe -waread_linkage.ma <design file> <result file>" while the
; environment variable MS_MDL names the folder that holds this file. It reads the linkage of
; the design file (its "PDS-LINKAGE <discipline> <partition>" line) and writes
; "<discipline> <partition>" into the result file ("0 0" when the file carries no linkage).
MDL-APPLICATION read_linkage
