/*
Torvane 1.1
Copyright (C) 2026 QEL. All rights reserved.
https://www.torvane.example/
https://www.torvane.example/support/
*/
CIStrip(['slider0.jpg','a.html','_self','first',64,40]);
CIStrip(['slider1.jpg','a.html','_self','again',64,40]);
CIStrip(['slider2.jpg','b.html','_top','portrait',13,40]);
CIStrip(['slider1.jpg','','_self','stale name',70,40]);
function CIStrip(ipa){
if(!(window.Stripcfg)){eval('window.Stripcfg=new Array();');};
Stripcfg[Stripcfg.length]=ipa;};
function InitStrip(){
if (!window.Bmaf){setTimeout('InitStrip()',350);return;};
new BXae('Strip_div',300,40,-1,20,4,0,'FFFFFF',Stripcfg,0,0);};
InitStrip();
