// placeholder until the image helpers land
