/* The FreeType modules the page's game uses, and no others (a smaller
   download): TrueType faces (sfnt, truetype with its bytecode hinting),
   drawn in one bit for the game's text (raster) and in grey for the
   panels (smooth). The 16-dot bitmap face is read by the game itself.
   scripts/web-deps builds FreeType with this list. */
FT_USE_MODULE( FT_Driver_ClassRec, tt_driver_class )
FT_USE_MODULE( FT_Module_Class, sfnt_module_class )
FT_USE_MODULE( FT_Renderer_Class, ft_raster1_renderer_class )
FT_USE_MODULE( FT_Renderer_Class, ft_smooth_renderer_class )
