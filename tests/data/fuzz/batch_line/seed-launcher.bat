@echo off
set RIS_PARAMETERS=C:\win32app\ingr\share\ris.prm
"C:\win32app\ingr\RIS\bin\risunlod.exe" -o "C:\pdsdump\pd_demo.dmp" -i "%TEMP%\x.par" >> "C:\temp\out.log" 2>&1
echo.done > nul
copy /Y "%1" %2 >"%~dp0log"
xcopy "a b" c\ /E /I 2>&1 >> x
exit %ERRORLEVEL%
%%done%%
