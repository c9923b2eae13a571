/*
Torvane 1.1
Copyright (C) 2026 QEL. All rights reserved.
https://www.torvane.example/
https://www.torvane.example/support/
*/
function CISlider1(ipa){
if(!(window.Slider1cfg)){eval('window.Slider1cfg=new Array();');};
Slider1cfg[Slider1cfg.length]=ipa;};
function InitSlider1(){
if (!window.Bmaf){setTimeout('InitSlider1()',350);return;};
new BXae('Slider1_div',370,124,1,39,0,0,'FFFFFF',window.Slider1cfg,0,2);};
InitSlider1();
